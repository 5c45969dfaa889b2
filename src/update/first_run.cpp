// The first start of the host after the installer put a new version in
// place: check at once whether a further update waits.
#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
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
    const int answer = continueAtOnce ? hostsuite::kIdButton1 : AskWithOptions(kFirstRunQuestion);
    (void)config::SetNodeData(AppId(), "Workstation", "LastUpdate", nullptr, "FirstRun", "0");
    if (answer == hostsuite::kIdButton1) {
        CheckAndUpdateFromInternet();
        ctx_.bFirstRunHandled = 1;
    } else if (answer == hostsuite::kIdButton3) {
        if (OpenOptions(ctx_.ownerWindow) != hostsuite::kIdOk) return;
        if (config::CheckUpdateType(ctx_, guid)) {
            (void)config::SetNodeData(config::GuidFilePath(ctx_, guid), "Workstation", "LastUpdate", nullptr, "Type", "0");
            (void)config::SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "2");
            ShowMessage(kSwitchedToNetwork, hostsuite::kStyleInfoOk);
        }
        ctx_.bFirstRunHandled = 1;
        CheckAndUpdateFromInternet();
    }
}

void CKTupdateDLLApp::CheckAndUpdateFromInternet() {
    if (ConnectionCheck()) (void)DownloadOrFallBack(0, {}, LockOrder::kBeforeAsking);
}

}  // namespace kt::update
