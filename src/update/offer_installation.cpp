// Offering the packages ready in the update folder, and the network lock
// that keeps other workstations away while they are installed.
#include "config/updating_lock.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "strings/string_table.h"
#include "update/install_updates.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kUpdateReady = 1060;
constexpr int kUpdatingElsewhere = 1097;

}  // namespace

bool CKTupdateDLLApp::SetUpdatingLock() {
    if (lockedOut_) return false;
    if (config::TakeUpdatingLock(ctx_) != config::LockTake::kHeldElsewhere) return true;
    lockedOut_ = true;
    KT_LOG(Warning) << "Update is running on another workstation";
    // A silent run at start gives way without a word; a person who asked is told.
    if (!ctx_.bAtStart) {
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kUpdatingElsewhere), "Erreur",
                                hostsuite::kStyleInfoOk, 1, kUpdatingElsewhere);
    }
    return false;
}

void CKTupdateDLLApp::OfferInstallation(LockOrder order) {
    if (order == LockOrder::kBeforeAsking && !SetUpdatingLock()) return;
    const int answer =
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::FormatString(strings::LoadString(kUpdateReady), {ctx_.appTitle}),
                                ctx_.appTitle, hostsuite::kStyleQuestionYesNo, 1, kUpdateReady);
    if (answer != hostsuite::kIdYes) {
        // Kept through a scheduled wait, the lock would turn the other
        // workstations away for nothing.
        if (order == LockOrder::kBeforeAsking) config::ReleaseUpdatingLock(ctx_);
        return;
    }
    if (order == LockOrder::kAfterYes && !SetUpdatingLock()) return;
    (void)InstallUpdates(ctx_, ctx_.bSesamInstall, 0, 1, 2);
}

}  // namespace kt::update
