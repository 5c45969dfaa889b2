// The two download runs of the application: the download dialog under the
// network lock, then (for RunDownload) the offer to install.
#include <chrono>
#include <cstdlib>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/updating_lock.h"
#include "connect/options_opener.h"
#include "download/download_dialog.h"
#include "hostsuite/message_box.h"
#include "strings/string_table.h"
#include "update/install_updates.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kUpdateReady = 1060;
constexpr auto kInstallerPoll = std::chrono::milliseconds(500);

}  // namespace

int CKTupdateDLLApp::RunDownloadDialog(int bLocal, const char* pszDir) {
    download::DownloadServices services;
    services.connection = connection_.get();
    services.openOptions = connect::OptionsOpener(ctx_, *connection_);
    services.closeRunHandles = [this] { CloseRunHandles(); };
    download::CKTDownload dialog(ctx_, nullptr, bLocal ? download::SourceMode::kLocal : download::SourceMode::kInternet,
                                 pszDir != nullptr ? pszDir : "", std::move(services));
    if (!SetUpdatingLock()) return 0;
    const int result = hostsuite::ActivePresenter().RunDialog(dialog);

    std::string modem;
    if (config::GetNodeData(AppId(), "Workstation", "Update", nullptr, 0, "Modem", &modem, 3) &&
        std::atoi(modem.c_str()) != 0 && connection_->DialupHandle() != 0) {
        connection_->HangUpDialup();
    }
    return result == hostsuite::kIdOk ? 1 : 0;
}

int CKTupdateDLLApp::RunDownload(int bLocal, const char* pszDir, int bNoAsk) {
    if (!RunDownloadDialog(bLocal, pszDir)) {
        config::ReleaseUpdatingLock(ctx_);
        return 0;
    }
    if (bNoAsk || hostsuite::KtMessageBox(ctx_.ownerWindow,
                                          strings::FormatString(strings::LoadString(kUpdateReady), {ctx_.appTitle}),
                                          ctx_.appTitle, hostsuite::kStyleQuestionYesNo, 1,
                                          kUpdateReady) == hostsuite::kIdYes) {
        if (ctx_.bSesamInstall) {
            // The pack's installer must be done before the host goes on.
            auto installer = InstallUpdates(ctx_, ctx_.bSesamInstall, 0, 1, 2);
            while (installer && !installer->WaitForExit(kInstallerPoll, kInstallerPoll)) {
            }
        } else {
            (void)InstallUpdates(ctx_, 0, 0, 1, 2);
        }
    }
    config::ReleaseUpdatingLock(ctx_);
    return 1;
}

int CKTupdateDLLApp::RunDownloadOnly(int bLocal, const char* pszDir, int) {
    const int ok = RunDownloadDialog(bLocal, pszDir);
    config::ReleaseUpdatingLock(ctx_);
    return ok;
}

}  // namespace kt::update
