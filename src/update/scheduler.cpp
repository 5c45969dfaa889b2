#include "update/scheduler.h"

#include <algorithm>
#include <cmath>

#include "config/config_paths.h"
#include "config/updating_lock.h"
#include "log/activity_log.h"
#include "platform/named_event.h"
#include "platform/waitable_timer.h"
#include "run/run_names.h"
#include "update/auto_update_settings.h"
#include "update/schedule_time.h"

namespace kt::update {
namespace {

using platform::WaitableTimer;

constexpr auto kNoTimeLimit = std::chrono::milliseconds::max();
// Longer than any schedule, short enough for the clock's arithmetic.
constexpr double kLongestWaitSeconds = 1e8;

// Sets the timer `wait` from now and sleeps on it; false when the wait failed.
bool SleepOn(WaitableTimer& timer, std::chrono::milliseconds wait) {
    timer.SetAt(WaitableTimer::Clock::now() + wait);
    return timer.Wait(kNoTimeLimit);
}

// 0 when a second caller signalled the event; 1 when nobody did or when no
// process holds it.
int NobodyAskedForTheDialog() {
    const auto event = platform::NamedEvent::Open(run::kUpdaterEventName);
    if (!event) return 1;
    return event->Wait(std::chrono::milliseconds(0)) ? 0 : 1;
}

}  // namespace

int Scheduler::WaitForSchedule(run::RunContext& ctx) {
    const std::tm now = clock_.localNow();
    if (!IsScheduleActive(ctx)) return 0;
    const NextRun next = NextScheduledRun(ReadScheduleSettings(ctx), now, firstPass_);
    firstPass_ = false;
    if (next.atOnce) return 1;
    // Counted on the real clock, so that a change of summer time between
    // now and then still wakes the run at the time of day it was set for.
    const double seconds = std::max<double>(0, config::EpochOfLocal(next.at) - config::EpochOfLocal(now));
    return WaitForUpdatingLock(ctx, seconds);
}

int Scheduler::WaitForUpdatingLock(run::RunContext& ctx, double seconds) {
    auto timer = WaitableTimer::Create(run::kUpdaterTimerName, true);
    if (!timer) {
        KT_LOG(Error) << "Can't create " << run::kUpdaterTimerName;
        return 0;
    }
    const auto wait = std::chrono::milliseconds(std::llround(std::clamp(seconds, 0.0, kLongestWaitSeconds) * 1000));
    timer->SetAt(WaitableTimer::Clock::now() + wait);
    // A second caller signals the event before it fires the timer: one that
    // came before the timer was set is seen here, one after it fires it.
    if (!NobodyAskedForTheDialog()) return 0;
    if (!timer->Wait(kNoTimeLimit)) return 0;
    if (!ctx.updateDirSlash.empty()) {
        const std::string lockPath = config::UpdateFilePath(ctx, config::kUpdatingLockName);
        while (config::IsLockHeldElsewhere(ctx, lockPath, clock_.localNow())) {
            if (!SleepOn(*timer, clock_.lockRecheck)) return 0;
        }
    }
    return NobodyAskedForTheDialog();
}

}  // namespace kt::update
