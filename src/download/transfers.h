// The transfers of an Internet update: one attempt fetches the FTP access
// parameters, the catalogue versions.xml and every package of the download
// list it yields, with progress, speed limit, size check and cancel, and
// records each package once the next one is taken.
#pragma once

#include <cstdint>

#include "download/download_job.h"
#include "platform/curl_session.h"

namespace kt::download {

// Results of one attempt.
inline constexpr unsigned kTransferFailed = 0;
inline constexpr unsigned kTransferDone = 1;
// The proxy check of an HTTP request failed (no HTTP transfer is made).
inline constexpr unsigned kProxyRequestRefused = 2;
// The proxy check before fetching the access parameters failed.
inline constexpr unsigned kProxyAddressRefused = 4;
inline constexpr unsigned kTransferCancelled = 5;
// Neither the file nor its folder exists on the server.
inline constexpr unsigned kNoFileNorFolder = 6;
inline constexpr unsigned kNothingToFetch = static_cast<unsigned>(-1);

// One attempt. `resume` 0: the first, which waits for the dialog to be ready;
// `split` 1: the folder of the practice's region instead of the common one.
unsigned DownloadUpdates(DownloadJob& job, unsigned resume, unsigned split);

// The sum of the sizes on the server of the packages of `list` still to
// fetch; a pass that meets a failure stops with the sum so far.
std::uint64_t GetTotalSize(DownloadJob& job, const DownloadList& list);

}  // namespace kt::download
