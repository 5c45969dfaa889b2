// The first start of the host after the installer put a new version in
// place: check at once whether a further update waits.
#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "dialogs/options_dialog.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "strings/string_table.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kFirstRunQuestion = 1112;
constexpr int kSwitchedToNetwork = 1023;

}  // namespace

void CKTupdateDLLApp::FirstRunQuestion(const std::string& guid) {
    const int firstRun = ReadFlag("LastUpdate", "FirstRun", 3);
    const int continueAtOnce = ReadFlag("LastUpdate", "Continue", 3);
    if (!(firstRun || continueAtOnce) || !ctx_.bAtStart) return;
    KT_LOG(Info) << "First run of Talvo after an update";
    const int answer =
        continueAtOnce ? hostsuite::kIdButton1
                       : hostsuite::KtMessageBoxButtons(
                             ctx_.ownerWindow, strings::FormatString(strings::LoadString(kFirstRunQuestion), {ctx_.appTitle}),
                             ctx_.appTitle, hostsuite::kStyleQuestionYesNo, hostsuite::ButtonRecord{}, 1, kFirstRunQuestion);
    (void)config::SetNodeData(AppId(), "Workstation", "LastUpdate", nullptr, "FirstRun", "0");
    if (answer == hostsuite::kIdButton1) {
        CheckAndUpdateFromInternet();
        ctx_.bFirstRunHandled = 1;
    } else if (answer == hostsuite::kIdButton3) {
        dialogs::CKTUpdOptions options(ctx_, ctx_.ownerWindow,
                                       {[this] { return connection_->GetDialer().PhoneBookEntries(); }});
        if (RunModuleDialog(options) != hostsuite::kIdOk) return;
        if (config::CheckUpdateType(ctx_, guid)) {
            (void)config::SetNodeData(config::GuidFilePath(ctx_, guid), "Workstation", "LastUpdate", nullptr, "Type", "0");
            (void)config::SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "2");
            hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kSwitchedToNetwork), ctx_.appTitle,
                                    hostsuite::kStyleInfoOk, 1, kSwitchedToNetwork);
        }
        ctx_.bFirstRunHandled = 1;
        CheckAndUpdateFromInternet();
    }
}

void CKTupdateDLLApp::CheckAndUpdateFromInternet() {
    if (!ConnectionCheck()) return;
    if (RunDownload(0, nullptr, 0)) return;
    if (ctx_.m_nDownloadStatus == 0 && !lockedOut_ && config::IsAnyUpdateOnNetwork(ctx_)) {
        OfferInstallation(LockOrder::kBeforeAsking);
    }
}

}  // namespace kt::update
