// Dates as the module's files hold them: day.month.year without leading
// zeros ("%i.%i.%i"), and whole-day ages measured against local time.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kt::config {

struct CalendarDate {
    int day = 0;
    int month = 0;
    int year = 0;
};

// The start of the calendar (30.12.1899): the age of a date that names no day.
inline constexpr CalendarDate kDayZero{30, 12, 1899};

// The local date and time now.
std::tm LocalNow();

// The moment a local time names, in seconds since the epoch.
std::time_t EpochOfLocal(const std::tm& local);

// "d.m.y" of a local time.
std::string DateText(const std::tm& time);
std::string DateText(const CalendarDate& date);

// Splits "d.m.y" on "." and reads each part as a number; nothing when the
// text has fewer than three parts. Further parts are ignored.
[[nodiscard]] std::optional<CalendarDate> ParseDateText(std::string_view text);

// True when the date names a day of the calendar (years 100 to 9999).
[[nodiscard]] bool IsValidDate(const CalendarDate& date);

// Whole days from `date` at 00:00 to `now`, truncated toward zero (a date
// later today, or tomorrow before its midnight, is 0; two days ahead is -1).
long long WholeDaysSince(const CalendarDate& date, const std::tm& now);

}  // namespace kt::config
