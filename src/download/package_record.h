// How the transfer and copy loops treat the items they take from the
// download list: which are already in place, and how a package is recorded
// in files.xml once fetched.
#pragma once

#include <string>

#include "download/download_item.h"
#include "download/update_search.h"

namespace kt::download {

// The search found the package recorded already.
bool IsAlreadyRecorded(const DownloadItem& item);

// Pack items carry no continue value: they are recorded with the one of the
// last host-version item taken before them. Keeps that value in `last`.
void CarryContinue(DownloadItem& item, std::string& last);

// Records the package in files.xml under its file name; an empty item (none
// taken yet) records nothing. False when files.xml cannot be read.
[[nodiscard]] bool RecordIfComplete(UpdateSearch& search, const DownloadItem& item);

}  // namespace kt::download
