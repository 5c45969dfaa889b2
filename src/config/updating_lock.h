// The network lock updating.xml in the shared update folder: it tells the
// other workstations that this one is downloading or installing updates.
// (There is no hidden attribute on Linux; the file keeps its name, which the
// other workstations look for.)
#pragma once

#include <ctime>
#include <string>

#include "run/run_context.h"

namespace kt::config {

inline constexpr const char* kUpdatingLockName = "updating.xml";

// 1 when `updateDirSlash` + "updating.xml" is a fresh lock of another
// workstation. A lock older than one day, this workstation's own lock and a
// lock without a calendar date are deleted, and 0 is returned.
[[nodiscard]] int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash);
[[nodiscard]] int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash, const std::tm& now);

// The staleness rule on one lock file (also used by the scheduler's wait):
// 1 when it is a fresh lock of another workstation; otherwise the file is
// deleted when present and 0 is returned.
[[nodiscard]] int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath);
[[nodiscard]] int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const std::tm& now);

// On: writes the lock for this workstation, dated today. Off: deletes it.
// A write or delete that fails is logged; the run goes on.
void SetUpdatingLock(run::RunContext& ctx, bool on);
void SetUpdatingLock(run::RunContext& ctx, bool on, const std::tm& today);

}  // namespace kt::config
