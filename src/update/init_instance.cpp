// The start of every run decision and the choice of its case; the
// teletransmission and critical cases, which are short.
#include <cstdlib>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/dialog_registry.h"
#include "run/failure_journal.h"
#include "run/run_names.h"
#include "strings/string_table.h"
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
    std::string teletrans;
    if (config::GetNodeData(AppId(), "Workstation", "Schedule", nullptr, 0, "Teletrans", &teletrans, 50) &&
        std::atoi(teletrans.c_str()) != 0 && config::IsAnyUpdateOnNetwork(ctx_) &&
        hostsuite::KtMessageBox(ctx_.ownerWindow,
                                strings::FormatString(strings::LoadString(kUpdateReady), {ctx_.appTitle}),
                                ctx_.appTitle, hostsuite::kStyleQuestionYesNo, 1, kUpdateReady) == hostsuite::kIdYes &&
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
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kCriticalDownloadFailed), ctx_.appTitle,
                                hostsuite::kStyleErrorOk, 1, kCriticalDownloadFailed);
    }
    return 1;
}

int CKTupdateDLLApp::ConnectionCheck() {
    return connection_->IsInternetConnection(ctx_.serverUrls, nullptr);
}

int CKTupdateDLLApp::RunModuleDialog(hostsuite::DialogModel& dialog) {
    // A second call of the module brings this dialog back instead of starting a run.
    const auto registration = platform::RegisterOpenDialog(run::kDownloadDialogClass, [&dialog] { dialog.RequestRestore(); });
    return hostsuite::ActivePresenter().RunDialog(dialog);
}

std::string CKTupdateDLLApp::AppId() const { return config::AppIdPath(ctx_); }

int CKTupdateDLLApp::ReadFlag(const char* element, const char* attribute, std::size_t length) const {
    std::string value;
    if (!config::GetNodeData(AppId(), "Workstation", element, nullptr, 0, attribute, &value, length)) return 0;
    return std::atoi(value.c_str()) != 0 ? 1 : 0;
}

}  // namespace kt::update
