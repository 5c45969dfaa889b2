// The default appid.xml of a workstation that has no usable configuration.
#pragma once

#include <ctime>
#include <string>

#include "config/calendar_date.h"
#include "run/run_context.h"

namespace kt::config {

// The directory proposed for updates from a local directory.
inline constexpr const char* kDefaultLocalUpdate = "C:\\patch_talvo";

// One month before `today`, the day kept as it is: 31.3.2026 gives 31.2.2026,
// a day that does not exist and that the readers of the date cope with.
CalendarDate OneMonthBack(const std::tm& today);

// Replaces appid.xml with the default tree for `guid` and the running
// versions, after publishing the same state in GUID.xml. Returns 1, or 0
// when appid.xml could not be written (logged; the old file stays whole).
int CreateDefaultConfig(run::RunContext& ctx, const std::string& guid);
int CreateDefaultConfig(run::RunContext& ctx, const std::string& guid, const std::tm& today);

}  // namespace kt::config
