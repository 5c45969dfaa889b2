// The scheduled run: an ordinary run that stays in its decision loop waits
// on the named timer "UpdaterWaitableTimer" until its next scheduled time,
// using no processor; a second entry call wakes it through the same timer
// and the event "UpdaterEvent" so that it shows the main dialog instead.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>

#include "config/calendar_date.h"
#include "run/run_context.h"

namespace kt::update {

// How often a fresh lock of another workstation is looked at again.
inline constexpr std::chrono::milliseconds kForeignLockRecheck{std::chrono::seconds(180)};

struct SchedulerClock {
    // The local date-time the schedule is computed from.
    std::function<std::tm()> localNow = config::LocalNow;
    std::chrono::milliseconds lockRecheck = kForeignLockRecheck;
};

class Scheduler {
public:
    explicit Scheduler(SchedulerClock clock = {}) : clock_(std::move(clock)) {}

    // A new entry call: its next wait is its first.
    void StartCall() { firstPass_ = true; }

    // 0 when scheduled updates are off or a second caller asked for the
    // dialog; 1 when the scheduled time has come and the run is to start.
    int WaitForSchedule(run::RunContext& ctx);

    // Sleeps `seconds`, then while another workstation holds a fresh lock,
    // looks again every lockRecheck. 1 when the scheduled run may start, 0
    // when a second caller asked for the dialog or the timer failed.
    int WaitForUpdatingLock(run::RunContext& ctx, double seconds);

private:
    SchedulerClock clock_;
    bool firstPass_ = true;
};

}  // namespace kt::update
