// The end of every run.
#include "config/updating_lock.h"
#include "platform/waitable_timer.h"
#include "log/activity_log.h"
#include "update/ktupdate_app.h"
#include "run/run_names.h"

namespace kt::update {

int CKTupdateDLLApp::ExitInstance() {
    KT_LOG(Info) << "ktupdateDLL stop";
    ctx_.bStopLoop = 1;
    // Releases a run of this or another process that waits for its schedule.
    if (auto timer = platform::WaitableTimer::Open(run::kUpdaterTimerName)) {
        timer->FireNow();
        timer->Cancel();
    }
    CloseRunHandles();
    // Only this workstation's own lock or a stale one: another workstation's
    // fresh lock keeps its download safe from a third one.
    config::ReleaseUpdatingLock(ctx_);
    exited_ = true;
    return 0;
}

}  // namespace kt::update
