// The main dialog of a run from the menu, or of a waiting run woken by a
// second call.
#include "log/activity_log.h"
#include "update/ktupdate_app.h"

namespace kt::update {

void CKTupdateDLLApp::ShowMainDialog() {
    ctx_.bAtStart = 0;
    KT_LOG(Info) << "Show update dialog";
}

}  // namespace kt::update
