#include "config/last_update_age.h"

#include <filesystem>
#include <limits>

#include "config/calendar_date.h"
#include "config/node_data.h"

namespace kt::config {
namespace {

constexpr std::size_t kDateChars = 12;

// Dates written one month back name days such as 31.2: lower the day until
// the date exists.
CalendarDate ExistingDay(CalendarDate date) {
    if (date.day > 31) date.day = 31;  // no month is longer: same result, fewer steps
    while (!IsValidDate(date) && date.day > 1) --date.day;
    return IsValidDate(date) ? date : kDayZero;
}

}  // namespace

int DaysSinceLastUpdate(const std::string& file) { return DaysSinceLastUpdate(file, LocalNow()); }

int DaysSinceLastUpdate(const std::string& file, const std::tm& now) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return kUnknownLastUpdateAge;
    std::string text;
    if (!GetNodeData(file, nullptr, "LastUpdate", &text, kDateChars, nullptr, nullptr, 0)) {
        return kUnknownLastUpdateAge;
    }
    const std::optional<CalendarDate> parsed = ParseDateText(text);
    const CalendarDate date = parsed ? ExistingDay(*parsed) : kDayZero;
    const long long days = WholeDaysSince(date, now);
    if (days > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (days < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(days);
}

}  // namespace kt::config
