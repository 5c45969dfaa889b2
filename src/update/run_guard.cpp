// The pre-run check that keeps two runs from overlapping, and the release of
// its handles.
#include <cstdlib>
#include <filesystem>

#include "config/node_data.h"
#include "config/updating_lock.h"
#include "strings/string_table.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/dialog_registry.h"
#include "platform/waitable_timer.h"
#include "update/ktupdate_app.h"
#include "run/run_names.h"

namespace kt::update {
namespace {

bool ScheduledUpdatesActive(const char* appDir) {
    const std::string appId = (std::filesystem::path(appDir) / "appid.xml").string();
    std::string active;
    if (!config::GetNodeData(appId, "Workstation", "Schedule", nullptr, 0, "Active", &active, 5)) return false;
    return std::atoi(active.c_str()) != 0;
}

void WakeRunningInstance(run::RunContext& ctx) {
    ctx.updaterEvent = platform::NamedEvent::Open(run::kUpdaterEventName);
    if (ctx.updaterEvent) ctx.updaterEvent->Set();
    if (auto timer = platform::WaitableTimer::Open(run::kUpdaterTimerName)) timer->FireNow();
}

}  // namespace

int CKTupdateDLLApp::IsRunBlocked(hostsuite::Window, const char* updateDir, int bAtStart, int bTeletrans,
                                  const char* appDir) {
    if (bTeletrans && ScheduledUpdatesActive(appDir)) return 1;
    if (platform::RestoreOpenDialog(run::kDownloadDialogClass)) return 1;

    std::string updateDirSlash = updateDir;
    if (updateDirSlash.empty() || updateDirSlash.back() != '/') updateDirSlash += '/';
    // The lock's owner is told by this workstation's GUID, in the record's
    // application folder: the context may still hold an earlier call's.
    ctx_.appDir = appDir;
    ctx_.updateDir = updateDir;
    ctx_.updateDirSlash = updateDirSlash;
    if (!bAtStart && config::IsUpdateRunningElsewhere(ctx_, updateDirSlash)) {
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(1097), "Erreur", hostsuite::kStyleInfoOk, 1,
                                1097);
        return 1;
    }

    bool alreadyRunning = false;
    auto mutex = platform::NamedMutex::Create(run::kRunMutexName, alreadyRunning);
    if (alreadyRunning) {
        WakeRunningInstance(ctx_);
        return 1;
    }
    // Without the mutex the run still goes on, as it always did; the log says why.
    if (!mutex) KT_LOG(Warning) << "Can't create the run mutex : " << mutex.Error().Describe();
    else ctx_.runMutex = std::move(*mutex);
    ctx_.updaterEvent = platform::NamedEvent::Create(run::kUpdaterEventName, true, false);
    return 0;
}

void CKTupdateDLLApp::CloseRunHandles() {
    ctx_.runMutex.reset();
    ctx_.updaterEvent.reset();
}

}  // namespace kt::update
