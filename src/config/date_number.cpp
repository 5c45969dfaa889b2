#include "config/date_number.h"

#include <string_view>

#include "config/calendar_date.h"

namespace kt::config {

long DateToNumber(const char* date) {
    if (date == nullptr) return 0;
    const std::optional<CalendarDate> parts = ParseDateText(std::string_view(date).substr(0, 20));
    if (!parts) return 0;
    return parts->year * 10000L + parts->month * 100L + parts->day;
}

}  // namespace kt::config
