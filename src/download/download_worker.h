// The download dialog's worker thread: up to four transfer attempts (the
// common server folder, then the practice's split folder, each tried again
// on the next server when a proxy refused the request), then the dialog
// ends with the outcome of the last one.
#pragma once

#include "download/download_job.h"

namespace kt::download {

// The thread's whole work; ends by posting OK or Cancel to the dialog.
void RunDownloadThread(DownloadJob& job);

// Ends the journal, shows the error box the result calls for, and posts
// the dialog's end.
void FinishDownload(DownloadJob& job, unsigned result);

// After the thread's work stopped by an exception: journals it and ends the
// dialog as a failed transfer does.
void EndFailedDownload(DownloadJob& job);

}  // namespace kt::download
