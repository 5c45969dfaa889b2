// The configuration question of a workstation that has never answered it
// (or whose configuration is damaged), and the switch to the packages that
// another workstation shares on the local network.
#include "config/app_config_check.h"
#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "dialogs/options_dialog.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "strings/string_table.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kConfigQuestion = 1021;
constexpr int kSwitchedToNetwork = 1023;

}  // namespace

void CKTupdateDLLApp::ConfigurationQuestion(const std::string& guid) {
    const int configured = ReadFlag("Update", "Configured", 3);
    const bool usable = config::IsAppConfig(ctx_, guid) != 0;
    if (usable && configured) return;
    // Without a usable file the answer, and the GUID, would be lost: every
    // start would ask again under a new identity.
    if (!usable || configured) {
        if (!config::CreateDefaultConfig(ctx_, guid)) KT_LOG(Warning) << "Can't write the default configuration";
    }
    const int answer = hostsuite::KtMessageBoxButtons(
        ctx_.ownerWindow, strings::FormatString(strings::LoadString(kConfigQuestion), {ctx_.appTitle}), ctx_.appTitle,
        hostsuite::kStyleQuestionYesNo, hostsuite::ButtonRecord{}, 1, kConfigQuestion);
    if (answer == hostsuite::kIdButton3) {
        dialogs::CKTUpdOptions options(ctx_, ctx_.ownerWindow,
                                       {[this] { return connection_->GetDialer().PhoneBookEntries(); }});
        if (RunModuleDialog(options) == hostsuite::kIdOk && config::CheckUpdateType(ctx_, guid)) {
            SwitchToLocalNetwork(guid, false);
        }
        return;
    }
    const bool automatic = answer == hostsuite::kIdButton1;
    KT_LOG(Info) << (automatic ? "Config update : auto" : "Config update : manual");
    if (!config::SetNodeValues(AppId(), {{"Workstation", "LastUpdate", "Active", automatic ? "1" : "0"},
                                         {"Workstation", "Schedule", "Teletrans", "0"},
                                         {"Workstation", "Schedule", "Active", "0"},
                                         {"Workstation", "Update", "Configured", "1"}})) {
        KT_LOG(Warning) << "Can't write the answer in appid.xml";
    }
    if (automatic && config::CheckUpdateType(ctx_, guid)) SwitchToLocalNetwork(guid, true);
}

void CKTupdateDLLApp::SwitchToLocalNetwork(const std::string& guid, bool fromYes) {
    KT_LOG(Info) << "Config update : set to local network";
    (void)config::SetNodeData(config::GuidFilePath(ctx_, guid), "Workstation", "LastUpdate", nullptr, "Type", "0");
    std::vector<config::NodeValue> values{{"Workstation", "Update", "Type", "2"}};
    if (fromYes) values.push_back({"Workstation", "Update", "Network", "0"});
    (void)config::SetNodeValues(AppId(), values);
    hostsuite::KtMessageBox(ctx_.ownerWindow, strings::FormatString(strings::LoadString(kSwitchedToNetwork), {ctx_.appTitle}),
                            ctx_.appTitle, hostsuite::kStyleInfoOk, 1, kSwitchedToNetwork);
}

}  // namespace kt::update
