// The local update: the packages come from a folder of the practice's
// network or a directory the user chose, and are copied, during the
// dialog's initialisation, into the Temp folder and then recorded.
#pragma once

#include "download/download_job.h"

namespace kt::download {

// Copies and records the packages that the catalogue of the source folder
// lists; the dialog's result: OK when all were copied and recorded.
int CopyLocalUpdates(DownloadJob& job);

}  // namespace kt::download
