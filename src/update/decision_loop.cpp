// The decision loop of the normal case: start on its own, wait for the next
// scheduled time, or show the main dialog; and what each update type does.
#include <cstdlib>

#include "config/last_update_age.h"
#include "config/last_update_stamp.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "dialogs/no_connection_dialog.h"
#include "connect/options_opener.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/named_event.h"
#include "run/run_names.h"
#include "strings/string_table.h"
#include "update/auto_update_settings.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kCheckAfterLongTime = 1073;
constexpr int kNothingNew = 1079;
constexpr int kAskAfterDays = 30;

enum UpdateType { kInternet = 1, kNetwork = 2, kDirectory = 3 };

}  // namespace

int CKTupdateDLLApp::DecisionLoop() {
    while (!ctx_.bStopLoop) {
        if (ctx_.bAtStart) {
            std::string type;
            (void)config::GetNodeData(AppId(), "Workstation", "Update", nullptr, 0, "Type", &type, 260);
            if (IsAutoUpdate(ctx_) && !ctx_.bFirstRunHandled) {
                KT_LOG(Info) << "Start without prompting";
                if (const auto result = StartWithoutPrompting(std::atoi(type.c_str()))) return *result;
            } else if (!IsUpdateEnabled(ctx_)) {
                CloseRunHandles();
                return 0;
            } else if (WaitForSchedule()) {
                if (const auto result = RunScheduledType(std::atoi(type.c_str()))) return *result;
                continue;
            }
        }
        ShowMainDialog();
        // Asks for the dialog are answered: the next wait starts afresh.
        if (auto event = platform::NamedEvent::Open(run::kUpdaterEventName)) event->Reset();
        ctx_.bAtStart = 1;
        if (IsAutoUpdate(ctx_)) ctx_.bStopLoop = 1;
    }
    CloseRunHandles();
    return 1;
}

std::optional<int> CKTupdateDLLApp::StartWithoutPrompting(int type) {
    switch (type) {
    case kInternet:
        KT_LOG(Info) << "Update type : with internet";
        if (ConnectionCheck()) {
            (void)DownloadOrFallBack(0, {}, LockOrder::kBeforeAsking);
        } else if (config::DaysSinceLastUpdate(AppId()) >= kAskAfterDays) {
            KT_LOG(Info) << "Ask to check update because last update date is > " << kAskAfterDays << " days";
            const int answer = hostsuite::KtMessageBox(
                ctx_.ownerWindow, strings::FormatString(strings::LoadString(kCheckAfterLongTime), {ctx_.appTitle}),
                ctx_.appTitle, hostsuite::kStyleQuestionYesNo, 1, kCheckAfterLongTime);
            if (answer != hostsuite::kIdYes) {
                // Not asked again for another 30 days.
                (void)config::SetLastUpdate(ctx_, guid_);
            } else if (!ConnectWithRetry()) {
                CloseRunHandles();
                return 0;
            } else {
                (void)DownloadOrFallBack(0, {}, LockOrder::kBeforeAsking);
            }
        }
        break;
    case kNetwork:
        KT_LOG(Info) << "Update type : with network";
        (void)OfferFromNetwork(LockOrder::kBeforeAsking);
        break;
    case kDirectory: {
        KT_LOG(Info) << "Update type : with local directory";
        const int downloaded = DownloadOrFallBack(1, LocalUpdateFolder(), LockOrder::kBeforeAsking);
        // The end of the entry call closes them all the same.
        if (downloaded || ctx_.m_nDownloadStatus != 0) return 0;
        break;
    }
    default:
        return std::nullopt;
    }
    CloseRunHandles();
    return 0;
}

std::optional<int> CKTupdateDLLApp::RunScheduledType(int type) {
    switch (type) {
    case kInternet:
        if (!ConnectWithRetry()) {
            CloseRunHandles();
            return 0;
        }
        (void)DownloadOrFallBack(0, {}, LockOrder::kBeforeAsking);
        break;
    case kNetwork:
        (void)OfferFromNetwork(LockOrder::kBeforeAsking);
        break;
    case kDirectory:
        (void)DownloadOrFallBack(1, LocalUpdateFolder(), LockOrder::kBeforeAsking);
        break;
    default:
        break;
    }
    return std::nullopt;
}

void CKTupdateDLLApp::HandleChoices(bool internet, bool network, bool directory, const std::string& directoryText) {
    const auto sayNothingNew = [this] {
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kNothingNew), ctx_.appTitle,
                                hostsuite::kStyleInfoOk, 1, kNothingNew);
    };
    const auto downloadThenFallBack = [&](int bLocal, const std::string& dir) {
        if (RunDownload(bLocal, dir.c_str(), 0) || ctx_.m_nDownloadStatus != 0 || lockedOut_) return;
        if (!OfferFromNetwork(LockOrder::kAfterYes)) sayNothingNew();
    };
    if (internet) {
        KT_LOG(Info) << "Update type : with internet";
        downloadThenFallBack(0, {});
    }
    if (network) {
        KT_LOG(Info) << "Update type : with local network";
        if (!OfferFromNetwork(LockOrder::kAfterYes)) sayNothingNew();
    }
    if (directory) {
        KT_LOG(Info) << "Update type : with local directory";
        downloadThenFallBack(1, directoryText);
    }
}

bool CKTupdateDLLApp::ConnectWithRetry() {
    while (!ConnectionCheck()) {
        dialogs::CKTMessageBox noConnection(ctx_, connect::OptionsOpener(ctx_, *connection_));
        if (RunModuleDialog(noConnection) == hostsuite::kIdCancel) return false;
    }
    return true;
}

int CKTupdateDLLApp::DownloadOrFallBack(int bLocal, const std::string& dir, LockOrder order) {
    const int downloaded = RunDownload(bLocal, bLocal ? dir.c_str() : nullptr, 0);
    if (!downloaded && ctx_.m_nDownloadStatus == 0) (void)OfferFromNetwork(order);
    return downloaded;
}

bool CKTupdateDLLApp::OfferFromNetwork(LockOrder order) {
    if (lockedOut_ || !config::IsAnyUpdateOnNetwork(ctx_)) return false;
    OfferInstallation(order);
    return true;
}

std::string CKTupdateDLLApp::LocalUpdateFolder() const {
    std::string folder;
    (void)config::GetNodeData(AppId(), "Workstation", "LocalUpdate", &folder, 260, nullptr, nullptr, 0);
    return folder;
}

}  // namespace kt::update
