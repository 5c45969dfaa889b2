#include "update/schedule_time.h"

#include <algorithm>
#include <cctype>

#include "config/decimal_text.h"

namespace kt::update {
namespace {

constexpr int kDefaultHour = 13;
constexpr int kDefaultMinute = 0;
constexpr long long kWeekDays = 7;

struct TimeOfDay {
    int hour;
    int minute;
};

bool StartsWithDigit(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
    return first != text.end() && std::isdigit(static_cast<unsigned char>(*first));
}

TimeOfDay ReadTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return {kDefaultHour, kDefaultMinute};
    const std::string_view hourText = text.substr(0, colon);
    const std::string_view minuteText = text.substr(colon + 1);
    const long long hour = config::DecimalValue(hourText);
    const long long minute = config::DecimalValue(minuteText);
    if (!StartsWithDigit(hourText) || !StartsWithDigit(minuteText) || hour > 23 || minute > 59) {
        return {kDefaultHour, kDefaultMinute};
    }
    return {static_cast<int>(hour), static_cast<int>(minute)};
}

// Calendar arithmetic on plain date-times, free of any time zone: timegm
// normalises days and months that run over.
std::time_t Civil(const std::tm& time) {
    std::tm copy = time;
    return timegm(&copy);
}

std::tm Normalised(std::tm time) {
    const std::time_t civil = timegm(&time);
    std::tm result{};
    gmtime_r(&civil, &result);
    result.tm_isdst = -1;
    return result;
}

std::tm DayAt(const std::tm& now, long long addDays, TimeOfDay at) {
    std::tm day{};
    day.tm_year = now.tm_year;
    day.tm_mon = now.tm_mon;
    day.tm_mday = now.tm_mday + static_cast<int>(addDays);
    day.tm_hour = at.hour;
    day.tm_min = at.minute;
    return Normalised(day);
}

int DaysInMonth(int year, int month) {
    std::tm first{};
    first.tm_year = year;
    first.tm_mon = month + 1;
    first.tm_mday = 0;  // the last day of `month`
    return Normalised(first).tm_mday;
}

// Day `day` (moved into the month) of the month `addMonths` after now's.
std::tm MonthDayAt(const std::tm& now, int addMonths, long long day, TimeOfDay at) {
    std::tm month{};
    month.tm_year = now.tm_year;
    month.tm_mon = now.tm_mon + addMonths;
    month.tm_mday = 1;
    month = Normalised(month);
    month.tm_mday = static_cast<int>(std::clamp<long long>(day, 1, DaysInMonth(month.tm_year, month.tm_mon)));
    month.tm_hour = at.hour;
    month.tm_min = at.minute;
    return Normalised(month);
}

bool BeforeTimeOfDay(const std::tm& now, TimeOfDay at) {
    return now.tm_hour < at.hour || (now.tm_hour == at.hour && now.tm_min < at.minute);
}

std::tm Daily(const std::tm& now, TimeOfDay at) { return DayAt(now, BeforeTimeOfDay(now, at) ? 0 : 1, at); }

// Days are counted modulo a week, so that any day number gives a day of
// the coming week.
std::tm Weekly(const std::tm& now, long long dayNumber, TimeOfDay at) {
    const long long weekDay = Normalised(now).tm_wday + 1;  // 1 = Sunday
    const long long ahead = ((dayNumber - weekDay) % kWeekDays + kWeekDays) % kWeekDays;
    std::tm next = DayAt(now, ahead, at);
    if (Civil(next) <= Civil(now)) next = DayAt(now, ahead + kWeekDays, at);
    return next;
}

std::tm Monthly(const std::tm& now, long long dayNumber, TimeOfDay at) {
    const bool laterThisMonth = now.tm_mday < dayNumber || (now.tm_mday == dayNumber && BeforeTimeOfDay(now, at));
    int addMonths = laterThisMonth ? 0 : 1;
    std::tm next = MonthDayAt(now, addMonths, dayNumber, at);
    while (Civil(next) <= Civil(now)) next = MonthDayAt(now, ++addMonths, dayNumber, at);
    return next;
}

}  // namespace

NextRun NextScheduledRun(const ScheduleSettings& settings, const std::tm& now, bool firstPass) {
    const TimeOfDay at = ReadTime(settings.time);
    const long long dayNumber = config::DecimalValue(settings.dayNumber);
    switch (config::DecimalValue(settings.frequency)) {
    case kDaily:
        return {false, Daily(now, at)};
    case kWeekly:
        return {false, Weekly(now, dayNumber, at)};
    case kMonthly:
        return {false, Monthly(now, dayNumber, at)};
    default:
        if (firstPass) return {true, {}};
        return {false, Daily(now, at)};
    }
}

}  // namespace kt::update
