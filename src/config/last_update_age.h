// How long ago the last update run was, from the LastUpdate date of a file.
#pragma once

#include <ctime>
#include <string>

namespace kt::config {

// Age returned when a file holds no LastUpdate date.
inline constexpr int kUnknownLastUpdateAge = 30;

// Whole days from the first LastUpdate date of `file` to now; 30 when the
// file or the element is missing. A day past the end of its month (31.2)
// counts as the month's last day; a text that names no day counts from the
// start of the calendar.
[[nodiscard]] int DaysSinceLastUpdate(const std::string& file);
[[nodiscard]] int DaysSinceLastUpdate(const std::string& file, const std::tm& now);

}  // namespace kt::config
