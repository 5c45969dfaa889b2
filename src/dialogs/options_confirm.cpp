// "Confirmer" of the options dialog: every check first, then every setting
// in one write of appid.xml, so a failed check leaves the file as it was.
#include <vector>

#include "config/node_data.h"
#include "dialogs/options_controls.h"
#include "dialogs/options_dialog.h"
#include "hostsuite/message_box.h"
#include "strings/string_table.h"

namespace kt::dialogs {

using namespace options;

namespace {

constexpr int kNoServer = 1014;
constexpr int kNoPort = 1015;
constexpr int kNoLogin = 1016;

const char* Flag(bool on) { return on ? "1" : "0"; }

// The value the frequency list's selection stores; daily when none.
const char* FrequencyValue(int selection) {
    switch (selection) {
        case kWeekly: return "7";
        case kMonthly: return "30";
        default: return "1";
    }
}

}  // namespace

void CKTUpdOptions::OnOK() {
    if (IsChecked(kNamedProxy) && !CheckProxyFields()) return;
    SaveSettings();
    EndDialog(hostsuite::kIdOk);
}

bool CKTUpdOptions::CheckProxyFields() {
    int failed = 0;
    if (Text(kServerEdit).empty()) failed = kNoServer;
    else if (Text(kPortEdit).empty()) failed = kNoPort;
    else if (IsChecked(kAuthCheck) && Text(kLoginEdit).empty()) failed = kNoLogin;
    if (failed == 0) return true;
    hostsuite::KtMessageBox(Handle(), strings::LoadString(failed), "Erreur", hostsuite::kStyleErrorOk, 1, failed);
    return false;
}

void CKTUpdOptions::SaveSettings() {
    std::vector<config::NodeValue> values;
    const auto proxy = [&values](const char* attribute, std::string value) {
        values.push_back({"Update", "Proxy", attribute, std::move(value)});
    };
    const auto workstation = [&values](const char* element, const char* attribute, std::string value) {
        values.push_back({"Workstation", element, attribute, std::move(value)});
    };
    if (IsChecked(kNamedProxy)) {
        proxy("Active", "1");
        proxy("Address", Text(kServerEdit));
        proxy("Port", Text(kPortEdit));
        proxy("Login", Text(kLoginEdit));
        proxy("Pass", Text(kPasswordEdit));
    } else if (IsChecked(kSystemSettings) || IsChecked(kDirect)) {
        proxy("UseIE", Flag(IsChecked(kSystemSettings)));
        proxy("Active", "0");
    }
    proxy("Auth", Flag(IsChecked(kAuthCheck)));
    workstation("Schedule", "Teletrans", "0");
    workstation("Update", "Speed", Text(kSpeedEdit));
    workstation("LastUpdate", "Active", Flag(IsChecked(kAtStart)));
    workstation("Schedule", "Active", Flag(IsChecked(kScheduled)));
    workstation("Schedule", "Frequency", FrequencyValue(Selection(kFrequencyList)));
    const int time = Selection(kTimeList);
    workstation("Schedule", "Time", time < 0 ? "" : ItemText(kTimeList, time));
    const int day = Selection(kDayList);
    workstation("Schedule", "DayNumber", day < 0 ? "" : std::to_string(day + 1));
    workstation("Update", "Modem", Flag(IsChecked(kDialup)));
    const int entry = Selection(kDialupList);
    workstation("Update", "RASName", entry < 0 ? "" : ItemText(kDialupList, entry));
    workstation("Update", "Configured", "1");
    // Write failures are logged by the store; the dialog ends as saved.
    (void)config::SetNodeValues(appId_, values);
}

}  // namespace kt::dialogs
