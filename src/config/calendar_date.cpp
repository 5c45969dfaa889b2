#include "config/calendar_date.h"

#include <cstdio>

#include "config/decimal_text.h"

namespace kt::config {
namespace {

constexpr long long kSecondsPerDay = 86400;

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1.1.1970 of a day of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int ClampedPart(std::string_view part) {
    const long long value = DecimalValue(part);
    if (value > 1000000) return 1000000;
    if (value < -1000000) return -1000000;
    return static_cast<int>(value);
}

}  // namespace

std::tm LocalNow() {
    const std::time_t seconds = std::time(nullptr);
    std::tm now{};
    localtime_r(&seconds, &now);
    return now;
}

std::time_t EpochOfLocal(const std::tm& local) {
    std::tm copy = local;
    // Whether summer time applies is the calendar's to say, not the caller's.
    copy.tm_isdst = -1;
    return std::mktime(&copy);
}

std::string DateText(const CalendarDate& date) {
    char text[40];
    std::snprintf(text, sizeof text, "%i.%i.%i", date.day, date.month, date.year);
    return text;
}

std::string DateText(const std::tm& time) {
    return DateText(CalendarDate{time.tm_mday, time.tm_mon + 1, time.tm_year + 1900});
}

std::optional<CalendarDate> ParseDateText(std::string_view text) {
    int parts[3] = {};
    for (int index = 0; index < 3; ++index) {
        if (index > 0) {
            const std::size_t dot = text.find('.');
            if (dot == std::string_view::npos) return std::nullopt;
            text.remove_prefix(dot + 1);
        }
        parts[index] = ClampedPart(text.substr(0, text.find('.')));
    }
    return CalendarDate{parts[0], parts[1], parts[2]};
}

bool IsValidDate(const CalendarDate& date) {
    if (date.year < 100 || date.year > 9999 || date.month < 1 || date.month > 12) return false;
    return date.day >= 1 && date.day <= DaysInMonth(date.month, date.year);
}

long long WholeDaysSince(const CalendarDate& date, const std::tm& now) {
    const long long from = DaysFromCivil(date.year, date.month, date.day) * kSecondsPerDay;
    const long long to = DaysFromCivil(now.tm_year + 1900LL, now.tm_mon + 1LL, now.tm_mday) * kSecondsPerDay +
                         now.tm_hour * 3600LL + now.tm_min * 60LL + now.tm_sec;
    // Whole seconds: adding half a second before truncating changes nothing.
    return (to - from) / kSecondsPerDay;
}

}  // namespace kt::config
