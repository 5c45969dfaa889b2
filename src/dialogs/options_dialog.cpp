#include "dialogs/options_dialog.h"

#include <utility>

#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "dialogs/options_controls.h"
#include "hostsuite/dialog_skin.h"

namespace kt::dialogs {

using namespace options;

namespace {

// Every value of the options is read at most this long.
constexpr std::size_t kValueChars = 50;

}  // namespace

CKTUpdOptions::CKTUpdOptions(const run::RunContext& ctx, hostsuite::Window, OptionsServices services)
    : DialogModel(kResourceId, "Options"), appId_(config::AppIdPath(ctx)), services_(std::move(services)) {
    AddControls();
    BindHandlers();
}

void CKTUpdOptions::AddControls() {
    AddPush(hostsuite::kIdOk, "Confirmer");
    AddPush(hostsuite::kIdCancel, "Annuler");

    AddGroup(kConnectionGroup, "Type de la connexion :");
    AddRadio(kSystemSettings, "Utiliser les paramètres d'Internet Explorer", kServerRadios);
    AddRadio(kDirect, "Connexion directe", kServerRadios);
    AddRadio(kNamedProxy, "Connexion via serveur proxy", kServerRadios);

    AddGroup(kProxyGroup, "Paramètres du serveur proxy :");
    AddLabel(kServerLabel, "Serveur Proxy");
    AddEdit(kServerEdit);
    AddLabel(kPortLabel, "Proxy Port");
    AddEdit(kPortEdit);
    AddCheck(kAuthCheck, "Le serveur proxy requiert une authentification");
    AddLabel(kLoginLabel, "Login de proxy");
    AddEdit(kLoginEdit);
    AddLabel(kPasswordLabel, "Mot de passe proxy");
    AddEdit(kPasswordEdit);
    SetEditStyle(kPasswordEdit, true, false, false, 0);

    AddGroup(kLinkGroup, "Paramètres de connexion :");
    AddRadio(kLocalNetwork, "Se connecter par l'intermédiaire d'un réseau local", kLinkRadios);
    AddRadio(kDialup, "Se connecter en utilisant un modem", kLinkRadios);
    AddCombo(kDialupList, true);

    AddGroup(kScheduleGroup, "Horaires des mises à jour :");
    AddRadio(kUpdatesOff, "Désactiver les mises à jour", kScheduleRadios);
    AddRadio(kAtStart, "Mises à jour automatiques (au démarrage)", kScheduleRadios);
    AddRadio(kScheduled, "Mises à jour planifiées", kScheduleRadios);
    AddRadio(kAtTeletrans, "Télécharger les mises à jour au moment de télétransmission.", kScheduleRadios);
    AddLabel(kFrequencyLabel, "Fréquence");
    AddCombo(kFrequencyList);
    for (const char* frequency : {"Quotidien", "Hebdomadaire", "Mensuel"}) AddItem(kFrequencyList, frequency);
    AddLabel(kDayLabel, "Jour");
    AddCombo(kDayList);
    AddLabel(kTimeLabel, "Heure");
    AddCombo(kTimeList, true);
    for (int halfHour = 0; halfHour < 48; ++halfHour) {
        const int hour = halfHour / 2;
        AddItem(kTimeList, HalfHourText(hour, halfHour % 2 != 0));
    }

    AddLabel(kSpeedLabel, "Limiter la vitesse de téléchargement à");
    AddEdit(kSpeedEdit);
    SetEditStyle(kSpeedEdit, false, false, true, 0);
    AddLabel(kSpeedUnit, "Ko/sec.");
    AddLabel(kSpeedHint, "(0 - pas de limite)");
}

void CKTUpdOptions::BindHandlers() {
    BindClick(kSystemSettings, [this] { ApplyNoProxyState(); });
    BindClick(kDirect, [this] { ApplyNoProxyState(); });
    BindClick(kNamedProxy, [this] { ApplyProxyState(); });
    BindClick(kAuthCheck, [this] { ApplyLoginState(); });
    BindClick(kLocalNetwork, [this] { Enable(kDialupList, false); });
    BindClick(kDialup, [this] { FillDialupList(); });
    BindClick(kUpdatesOff, [this] { EnableScheduleLists(false); });
    BindClick(kAtStart, [this] { EnableScheduleLists(false); });
    BindClick(kScheduled, [this] { ChooseScheduled(); });
    BindSelectionChange(kFrequencyList, [this](int) { RefillDaysForFrequency(); });
}

bool CKTUpdOptions::OnInitDialog() {
    Show(kAtTeletrans, false);
    Enable(kAtTeletrans, false);
    ReadLink();
    ReadProxy();
    ReadEdits();
    ReadSchedule();
    return true;
}

void CKTUpdOptions::ReadLink() {
    std::string modem;
    if (!Read("Workstation", "Update", "Modem", modem)) return;
    if (config::FlagIsOn(modem)) {
        CheckRadio(kDialup);
        FillDialupList();
    } else {
        CheckRadio(kLocalNetwork);
        Enable(kDialupList, false);
    }
}

void CKTUpdOptions::ReadProxy() {
    std::string value;
    if (Read("Update", "Proxy", "Auth", value) && config::FlagIsOn(value)) SetCheck(kAuthCheck, true);
    const bool system = Read("Update", "Proxy", "UseIE", value) && config::FlagIsOn(value);
    if (system) {
        CheckRadio(kSystemSettings);
        ApplyNoProxyState();
    }
    if (!Read("Update", "Proxy", "Active", value)) return;
    // A named proxy wins over the system settings.
    if (config::FlagIsOn(value)) {
        CheckRadio(kNamedProxy);
        ApplyProxyState();
    } else if (!system) {
        CheckRadio(kDirect);
        ApplyNoProxyState();
    }
}

void CKTUpdOptions::ReadEdits() {
    const struct {
        int edit;
        const char* parent;
        const char* element;
        const char* attribute;
    } edits[] = {
        {kServerEdit, "Update", "Proxy", "Address"},  {kPortEdit, "Update", "Proxy", "Port"},
        {kLoginEdit, "Update", "Proxy", "Login"},     {kPasswordEdit, "Update", "Proxy", "Pass"},
        {kSpeedEdit, "Workstation", "Update", "Speed"},
    };
    for (const auto& edit : edits) {
        std::string value;
        if (Read(edit.parent, edit.element, edit.attribute, value)) SetText(edit.edit, value);
    }
}

void CKTUpdOptions::ReadSchedule() {
    const bool atStart = ReadNumber("Workstation", "LastUpdate", "Active", 0) != 0;
    if (atStart) {
        CheckRadio(kAtStart);
        EnableScheduleLists(false);
    }
    const long long frequency = ReadNumber("Workstation", "Schedule", "Frequency", 0);
    const bool monthly = frequency == 30;
    SetSelection(kFrequencyList, frequency == 1 ? kDaily : frequency == 7 ? kWeekly : monthly ? kMonthly : -1);
    if (ReadNumber("Workstation", "Schedule", "Active", 0) != 0) {
        CheckRadio(kScheduled);
        ChooseScheduled();
    } else if (!atStart) {
        CheckRadio(kUpdatesOff);
        EnableScheduleLists(false);
    }
    if (ReadNumber("Workstation", "Schedule", "Teletrans", 0) != 0) {
        CheckRadio(kAtStart);
        EnableScheduleLists(false);
    }
    const long long dayNumber = ReadNumber("Workstation", "Schedule", "DayNumber", 0);
    if (monthly) FillMonthDays();
    else FillWeekDays();
    SelectDay(dayNumber);
    std::string time;
    Read("Workstation", "Schedule", "Time", time);
    SelectTime(time);
}

void CKTUpdOptions::ApplyNoProxyState() {
    for (int id : {kServerEdit, kPortEdit, kLoginEdit, kPasswordEdit, kAuthCheck}) Enable(id, false);
}

void CKTUpdOptions::ApplyProxyState() {
    for (int id : {kServerEdit, kPortEdit, kAuthCheck}) Enable(id, true);
    ApplyLoginState();
}

void CKTUpdOptions::ApplyLoginState() {
    const bool login = IsChecked(kAuthCheck);
    Enable(kLoginEdit, login);
    Enable(kPasswordEdit, login);
}

void CKTUpdOptions::EnableScheduleLists(bool enabled) {
    for (int id : {kFrequencyList, kDayList, kTimeList}) Enable(id, enabled);
}

void CKTUpdOptions::ChooseScheduled() {
    Enable(kFrequencyList, true);
    RefillDaysForFrequency();
    Enable(kTimeList, true);
}

bool CKTUpdOptions::Read(const char* parent, const char* element, const char* attribute, std::string& value) const {
    return config::GetNodeData(appId_, parent, element, nullptr, 0, attribute, &value, kValueChars) == 1;
}

long long CKTUpdOptions::ReadNumber(const char* parent, const char* element, const char* attribute,
                                    long long fallback) const {
    std::string value;
    return Read(parent, element, attribute, value) ? config::DecimalValue(value) : fallback;
}

int CKTUpdOptions::OnEraseBackground(hostsuite::DeviceContext dc) {
    return hostsuite::PaintDialogBackground(Handle(), dc, kBackgroundImage);
}

void CKTUpdOptions::OnDestroy() { hostsuite::ReleaseDialogSkin(Handle()); }

}  // namespace kt::dialogs
