// The options dialog "Options" (resource 131): how the workstation reaches
// the Internet and the update server, when updates run and the download
// speed limit. It reads appid.xml when it opens and writes it back only on
// "Confirmer", once every check has passed; "Annuler", Escape and the close
// box write nothing. The caller only constructs and runs it: the result is
// 1 (saved) or 2, the settings are in appid.xml.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hostsuite/dialog_model.h"
#include "run/run_context.h"

namespace kt::dialogs {

// What the dialog needs from the layers above it.
struct OptionsServices {
    // The names of the dialer's phone-book entries. None: no entries.
    std::function<std::vector<std::string>()> phoneBookEntries;
};

class CKTUpdOptions : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 131;
    static constexpr int kBackgroundImage = 689;

    // The parent window places the dialog; the presenter does that here.
    CKTUpdOptions(const run::RunContext& ctx, hostsuite::Window parent, OptionsServices services = {});

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    int OnEraseBackground(hostsuite::DeviceContext dc) override;
    void OnDestroy() override;

private:
    void AddControls();
    void BindHandlers();

    // Opening, step by step.
    void ReadLink();
    void ReadProxy();
    void ReadEdits();
    void ReadSchedule();

    // Enabling that follows a choice.
    void ApplyNoProxyState();
    void ApplyProxyState();
    void ApplyLoginState();
    void EnableScheduleLists(bool enabled);
    void ChooseScheduled();

    // Lists.
    void FillDialupList();
    // After a frequency choice (or none): the day list for that frequency.
    void RefillDaysForFrequency();
    void FillWeekDays();
    void FillMonthDays();
    // Selects day `dayNumber` (1 = first item); outside the list, the first item.
    void SelectDay(long long dayNumber);
    void SelectTime(const std::string& time);

    // "Confirmer": the first failed check's message; true when all passed.
    bool CheckProxyFields();
    void SaveSettings();

    // Reads `attribute` of `element` (under `parent`) from appid.xml; false
    // when it cannot be read.
    bool Read(const char* parent, const char* element, const char* attribute, std::string& value) const;
    // The number a flag or count reads as; `fallback` when unreadable.
    long long ReadNumber(const char* parent, const char* element, const char* attribute, long long fallback) const;

    const std::string appId_;
    OptionsServices services_;
};

}  // namespace kt::dialogs
