#include "platform/named_event.h"

#include <cstdint>

#include "platform/shared_region.h"
#include "platform/shared_sync.h"

namespace kt::platform {
namespace {

constexpr const char* kKind = "event";

struct EventState {
    SharedSync sync;
    // Flags, kept as 32-bit words so that the layout is the same in every process.
    std::uint32_t manualReset;
    std::uint32_t signalled;
};

EventState& StateOf(const SharedRegion& region) { return *static_cast<EventState*>(region.Data()); }

}  // namespace

struct NamedEvent::Impl {
    std::unique_ptr<SharedRegion> region;
};

std::unique_ptr<NamedEvent> NamedEvent::Create(const std::string& name, bool manualReset, bool initiallySignalled) {
    // An event that already exists keeps its own reset mode and state.
    auto initialise = [&](void* data) {
        auto& state = *static_cast<EventState*>(data);
        state.manualReset = manualReset;
        state.signalled = initiallySignalled;
        return InitSharedSync(state.sync);
    };
    auto region = SharedRegion::Attach(kKind, name, sizeof(EventState), true, initialise);
    if (!region) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{std::move(region)})));
}

std::unique_ptr<NamedEvent> NamedEvent::Open(const std::string& name) {
    auto region = SharedRegion::Attach(kKind, name, sizeof(EventState), false, [](void*) { return false; });
    if (!region) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{std::move(region)})));
}

NamedEvent::NamedEvent(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedEvent::~NamedEvent() = default;

void NamedEvent::Set() {
    EventState& state = StateOf(*impl_->region);
    SharedLock lock(state.sync);
    if (!lock.Held()) return;
    state.signalled = true;
    lock.NotifyChange();
}

void NamedEvent::Reset() {
    EventState& state = StateOf(*impl_->region);
    SharedLock lock(state.sync);
    if (lock.Held()) state.signalled = false;
}

bool NamedEvent::Wait(std::chrono::milliseconds timeout) {
    EventState& state = StateOf(*impl_->region);
    const auto deadline = DeadlineAfter(timeout);
    for (;;) {
        std::uint32_t seen;
        {
            SharedLock lock(state.sync);
            if (!lock.Held()) return false;
            if (state.signalled) {
                if (!state.manualReset) state.signalled = false;
                return true;
            }
            seen = lock.Changes();
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) return false;
        WaitForChange(state.sync, seen, left);
    }
}

}  // namespace kt::platform
