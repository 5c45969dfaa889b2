// When the next scheduled run is due: daily, weekly or monthly at a set
// local time. Pure arithmetic on calendar date-times.
#pragma once

#include <ctime>
#include <string>

namespace kt::update {

// The Schedule settings as appid.xml holds them.
struct ScheduleSettings {
    std::string frequency;
    std::string dayNumber;
    std::string time;
};

inline constexpr int kDaily = 1;
inline constexpr int kWeekly = 7;
inline constexpr int kMonthly = 30;

struct NextRun {
    // The run starts now, without waiting.
    bool atOnce = false;
    // Otherwise the local date-time it is due, always after `now`.
    std::tm at{};
};

// `firstPass`: the first wait of an entry call. A frequency other than
// daily, weekly or monthly starts that one at once and reads as daily for
// the later ones, so that the run is not repeated back to back. A missing
// or malformed time reads as 13:00; a monthly day the month lacks is its
// last day; a computed time not after `now` moves one period on.
NextRun NextScheduledRun(const ScheduleSettings& settings, const std::tm& now, bool firstPass);

}  // namespace kt::update
