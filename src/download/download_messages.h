// The message boxes of the download dialog. The worker thread shows them
// through the dialog's own thread, like every change it asks of the dialog;
// once the dialog has ended, nothing is shown.
#pragma once

#include <string>

#include "download/download_job.h"
#include "hostsuite/dialog_model.h"
#include "hostsuite/presenter.h"

namespace kt::download {

// Shows the box on the dialog's thread; the button pressed, or 0 when the
// dialog has ended.
int ShowOnDialogThread(hostsuite::DialogModel& dialog, hostsuite::Window owner, const std::string& text,
                       const std::string& caption, unsigned style, int stringId = hostsuite::kLiteralText);

// The transfer's error box, unless the run is silent: `text` followed by
// string `stringId` (0 = none), caption "Erreur <code>" or "Erreur" when
// `code` is 0. With a code but neither text nor string, the system's text
// for the code.
void ShowDownloadError(DownloadJob& job, const std::string& text, int code, int stringId);

}  // namespace kt::download
