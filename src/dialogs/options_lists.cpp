// The lists of the options dialog that depend on the settings or on other
// choices: the dial-up entries, the days and the time.
#include <algorithm>
#include <cctype>
#include <optional>

#include "config/decimal_text.h"
#include "dialogs/options_controls.h"
#include "dialogs/options_dialog.h"
#include "strings/string_table.h"

namespace kt::dialogs {

using namespace options;

namespace {

// The week's days as the day list shows them, Sunday first.
constexpr int kWeekDayStrings[] = {1058, 1043, 1053, 1054, 1055, 1056, 1057};
constexpr int kMonthDays = 31;

// The time selected when the stored one cannot be placed.
constexpr const char* kDefaultTime = "13:00";

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The digits of `text` as a number; nothing when it has none, others or more than two.
std::optional<int> TwoDigitNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    return std::stoi(text);
}

// The half hour at or before an "H:MM" time, as the time list writes it.
std::optional<std::string> HalfHourBefore(const std::string& time) {
    const std::size_t colon = time.find(':');
    const std::optional<int> hour = TwoDigitNumber(time.substr(0, colon));
    const std::optional<int> minute = TwoDigitNumber(time.substr(colon + 1));
    if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
    return HalfHourText(*hour, *minute >= 30);
}

}  // namespace

void CKTUpdOptions::FillDialupList() {
    std::string configured;
    Read("Workstation", "Update", "RASName", configured);
    Enable(kDialupList, true);
    ClearItems(kDialupList);
    // Every entry is listed, however many the phone book holds.
    if (services_.phoneBookEntries) {
        for (const std::string& entry : services_.phoneBookEntries()) AddItem(kDialupList, entry);
    }
    int chosen = 0;
    for (int i = 0; i < ItemCount(kDialupList); ++i) {
        if (EqualIgnoringCase(ItemText(kDialupList, i), configured)) chosen = i;
    }
    if (ItemCount(kDialupList) > 0) SetSelection(kDialupList, chosen);
}

void CKTUpdOptions::RefillDaysForFrequency() {
    switch (Selection(kFrequencyList)) {
        case kDaily:
            Enable(kDayList, false);
            break;
        case kWeekly:
            Enable(kDayList, true);
            FillWeekDays();
            SelectDay(ReadNumber("Workstation", "Schedule", "DayNumber", 0));
            break;
        case kMonthly:
            Enable(kDayList, true);
            FillMonthDays();
            SelectDay(kDefaultMonthDay);
            break;
        default:
            break;
    }
}

void CKTUpdOptions::FillWeekDays() {
    ClearItems(kDayList);
    for (int day : kWeekDayStrings) AddItem(kDayList, strings::LoadString(day));
}

void CKTUpdOptions::FillMonthDays() {
    ClearItems(kDayList);
    for (int day = 1; day <= kMonthDays; ++day) AddItem(kDayList, std::to_string(day));
}

void CKTUpdOptions::SelectDay(long long dayNumber) {
    // A day the list does not hold (a monthly 28 in the week) would save an empty day.
    const bool inList = dayNumber >= 1 && dayNumber <= ItemCount(kDayList);
    SetSelection(kDayList, inList ? static_cast<int>(dayNumber - 1) : 0);
}

void CKTUpdOptions::SelectTime(const std::string& time) {
    int item = -1;
    if (time.find(':') != std::string::npos) {
        // The list's own search: after the first item, wrapping round to it.
        item = FindItemPrefix(kTimeList, time, 0);
        if (item < 0) {
            if (const std::optional<std::string> halfHour = HalfHourBefore(time)) {
                item = FindItemPrefix(kTimeList, *halfHour, 0);
            }
        }
    }
    // A time the list cannot show would save an empty time.
    if (item < 0) item = FindItemPrefix(kTimeList, kDefaultTime, 0);
    SetSelection(kTimeList, item);
}

}  // namespace kt::dialogs
