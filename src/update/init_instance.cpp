// The start of every run decision and the choice of its case; the
// teletransmission and critical cases, which are short.
#include "config/update_sharing.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"
#include "update/install_updates.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kCriticalDownloadFailed = 1029;
constexpr int kUpdateReady = 1060;

}  // namespace

int CKTupdateDLLApp::InitInstance() {
    if (!ctx_.bRunRequested) return 1;
    lockedOut_ = false;
    (void)run::WriteJournal(ctx_, 1, 0, nullptr);
    if (ctx_.bTeletrans && ctx_.bInstOnly) {
        KT_LOG(Info) << "Case : Teletransmission + InstOnly";
        return TeletransInstallOnly();
    }
    if (ctx_.bTeletrans) {
        KT_LOG(Info) << "Case : Teletransmission";
        return Teletrans();
    }
    if (ctx_.bCritical) {
        KT_LOG(Info) << "Case : Critical";
        return Critical();
    }
    KT_LOG(Info) << "Case : normal";
    return NormalCase();
}

int CKTupdateDLLApp::TeletransInstallOnly() {
    if (ReadFlag("Schedule", "Teletrans", 50) && config::IsAnyUpdateOnNetwork(ctx_) &&
        ShowMessage(kUpdateReady, hostsuite::kStyleQuestionYesNo) == hostsuite::kIdYes &&
        SetUpdatingLock()) {
        (void)InstallUpdates(ctx_, ctx_.bSesamInstall, 0, 1, 2);
    }
    CloseRunHandles();
    return 1;
}

int CKTupdateDLLApp::Teletrans() {
    if (ReadFlag("Schedule", "Teletrans", 50) && ConnectionCheck()) (void)RunDownloadOnly(0, nullptr, 0);
    CloseRunHandles();
    return 1;
}

int CKTupdateDLLApp::Critical() {
    if (!RunDownload(0, nullptr, 0)) {
        ShowMessage(kCriticalDownloadFailed, hostsuite::kStyleErrorOk);
    }
    return 1;
}

}  // namespace kt::update
