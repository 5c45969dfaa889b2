// How the transfer and copy loops treat the items they take from the
// download list: which are already in place, and how a package is recorded
// in files.xml once fetched.
#pragma once

#include <string>

#include "download/download_item.h"
#include "download/update_search.h"

namespace kt::download {

// The item text has every field of its shape: eight for a host-version
// package, seven for a pack package.
bool HasAllFields(const std::string& text, const DownloadItem& item);

// The search found the package recorded already: its added flag is given and reads 0.
bool IsAlreadyRecorded(const DownloadItem& item);

// Pack items carry no continue value: they are recorded with the one of the
// last host-version item taken before them. Keeps that value in `last`.
void CarryContinue(DownloadItem& item, std::string& last);

// Records the package in files.xml when its item is complete. `source` holds
// the package's file name by then.
void RecordIfComplete(UpdateSearch& search, const DownloadItem& item);

}  // namespace kt::download
