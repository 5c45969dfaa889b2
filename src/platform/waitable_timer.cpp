#include "platform/waitable_timer.h"

#include <algorithm>
#include <cstdint>

#include "platform/shared_region.h"
#include "platform/shared_sync.h"

namespace kt::platform {
namespace {

constexpr const char* kKind = "timer";
// A waiter sleeps on the steady clock but the due time is on the wall clock:
// it looks again at least this often, so a clock change or a suspended
// machine delays the firing by no more than this.
constexpr auto kRecheck = std::chrono::seconds(1);

struct TimerState {
    SharedSync sync;
    // Flags, kept as 32-bit words so that the layout is the same in every process.
    std::uint32_t manualReset;
    std::uint32_t signalled;
    std::uint32_t armed;
    std::int64_t dueNs;  // wall clock, since the epoch
};

TimerState& StateOf(const SharedRegion& region) { return *static_cast<TimerState*>(region.Data()); }

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(WaitableTimer::Clock::now().time_since_epoch())
        .count();
}

// Under the lock: an armed timer whose time has come becomes signalled.
void FireIfDue(TimerState& state, SharedLock& lock) {
    if (state.armed == 0 || state.dueNs > NowNs()) return;
    state.armed = 0;
    state.signalled = true;
    lock.NotifyChange();
}

std::unique_ptr<SharedRegion> Attach(const std::string& name, bool mayCreate, bool manualReset) {
    auto initialise = [manualReset](void* data) {
        auto& state = *static_cast<TimerState*>(data);
        state.manualReset = manualReset;
        return InitSharedSync(state.sync);
    };
    return SharedRegion::Attach(kKind, name, sizeof(TimerState), mayCreate, initialise);
}

}  // namespace

struct WaitableTimer::Impl {
    std::unique_ptr<SharedRegion> region;
};

std::unique_ptr<WaitableTimer> WaitableTimer::Create(const std::string& name, bool manualReset) {
    auto region = Attach(name, true, manualReset);
    if (!region) return nullptr;
    return std::unique_ptr<WaitableTimer>(new WaitableTimer(std::make_unique<Impl>(Impl{std::move(region)})));
}

std::unique_ptr<WaitableTimer> WaitableTimer::Open(const std::string& name) {
    auto region = Attach(name, false, true);
    if (!region) return nullptr;
    return std::unique_ptr<WaitableTimer>(new WaitableTimer(std::make_unique<Impl>(Impl{std::move(region)})));
}

WaitableTimer::WaitableTimer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WaitableTimer::~WaitableTimer() = default;

void WaitableTimer::SetAt(Clock::time_point due) {
    TimerState& state = StateOf(*impl_->region);
    SharedLock lock(state.sync);
    if (!lock.Held()) return;
    // Setting a timer takes back a signal it still has.
    state.signalled = false;
    state.dueNs = std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
    state.armed = 1;
    FireIfDue(state, lock);
    // Waiters compute their sleep again from the new due time.
    lock.NotifyChange();
}

void WaitableTimer::FireNow() { SetAt(Clock::now()); }

void WaitableTimer::Cancel() {
    TimerState& state = StateOf(*impl_->region);
    SharedLock lock(state.sync);
    if (!lock.Held()) return;
    FireIfDue(state, lock);
    state.armed = 0;
}

bool WaitableTimer::Wait(std::chrono::milliseconds timeout) {
    TimerState& state = StateOf(*impl_->region);
    const auto deadline = DeadlineAfter(timeout);
    for (;;) {
        std::uint32_t seen;
        std::chrono::nanoseconds untilDue = std::chrono::nanoseconds::max();
        {
            SharedLock lock(state.sync);
            if (!lock.Held()) return false;
            FireIfDue(state, lock);
            if (state.signalled) {
                if (!state.manualReset) state.signalled = false;
                return true;
            }
            if (state.armed != 0) untilDue = std::chrono::nanoseconds(state.dueNs - NowNs());
            seen = lock.Changes();
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) return false;
        const auto recheck = std::chrono::duration_cast<std::chrono::nanoseconds>(kRecheck);
        WaitForChange(state.sync, seen, std::min({std::chrono::nanoseconds(left), untilDue, recheck}));
    }
}

}  // namespace kt::platform
