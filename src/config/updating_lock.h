// The network lock updating.xml in the shared update folder: it tells the
// other workstations that this one is downloading or installing updates.
// (There is no hidden attribute on Linux; the file keeps its name, which the
// other workstations look for.)
#pragma once

#include <chrono>
#include <ctime>
#include <string>

#include "config/lock_heartbeat.h"
#include "config/lock_record.h"
#include "run/run_context.h"

namespace kt::config {

inline constexpr const char* kUpdatingLockName = "updating.xml";

// 1 when `updateDirSlash` + "updating.xml" is a fresh lock of another
// workstation. A stale lock and this workstation's own lock are deleted,
// and 0 is returned.
[[nodiscard]] int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash);
[[nodiscard]] int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash, const std::tm& now);

// The same rule on one lock file (also used by the scheduler's wait).
[[nodiscard]] int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath);
[[nodiscard]] int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const std::tm& now);
[[nodiscard]] int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const LockNow& now);

enum class LockTake {
    kTaken,
    // Another workstation holds a fresh lock (or won the race for it).
    kHeldElsewhere,
    // The folder could not be written; logged. Other workstations are not
    // kept away, as older versions never were.
    kFailed,
};

// Takes the lock for this workstation and this process, dated today: only
// when there is none, or the one there is stale or this workstation's own;
// two workstations trying at once cannot both get it. While held, its
// heartbeat is stamped every `heartbeatEvery`.
[[nodiscard]] LockTake TakeUpdatingLock(run::RunContext& ctx);
[[nodiscard]] LockTake TakeUpdatingLock(run::RunContext& ctx, const std::tm& now,
                                        std::chrono::milliseconds heartbeatEvery = kHeartbeatInterval);
[[nodiscard]] LockTake TakeUpdatingLock(run::RunContext& ctx, const LockNow& now, std::chrono::milliseconds heartbeatEvery);

// Stops the heartbeat and deletes the lock when it is this workstation's
// own or stale; another workstation's fresh lock stays. A delete that fails
// is logged.
void ReleaseUpdatingLock(run::RunContext& ctx);
void ReleaseUpdatingLock(run::RunContext& ctx, const std::tm& now);
void ReleaseUpdatingLock(run::RunContext& ctx, const LockNow& now);

}  // namespace kt::config
