// The other process of the cross-process tests. It takes or uses one named
// object as its arguments say, reports on its standard output, and then
// either ends or stays until the test kills it (at most a minute).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform/named_event.h"
#include "platform/named_mutex.h"
#include "platform/shared_region.h"
#include "platform/shared_sync.h"
#include "platform/waitable_timer.h"

namespace {

using namespace kt::platform;
using std::chrono::milliseconds;

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

[[noreturn]] void StayUntilKilled() {
    std::this_thread::sleep_for(std::chrono::seconds(60));
    std::exit(0);
}

milliseconds Ms(const char* text) { return milliseconds(std::atol(text)); }

int HoldMutex(const std::string& name) {
    bool existed = false;
    auto mutex = NamedMutex::Create(name, existed);
    if (!mutex) return 2;
    Say(existed ? "existed=1" : "existed=0");
    StayUntilKilled();
}

int HoldEvent(const std::string& name, bool manual, bool signalled) {
    auto event = NamedEvent::Create(name, manual, signalled);
    if (!event) return 2;
    Say("ready");
    StayUntilKilled();
}

int WaitEvent(const std::string& name, milliseconds timeout) {
    auto event = NamedEvent::Create(name, true, false);
    if (!event) return 2;
    Say("ready");
    Say(event->Wait(timeout) ? "signalled" : "timeout");
    return 0;
}

int SetEvent(const std::string& name) {
    auto event = NamedEvent::Open(name);
    if (!event) return 1;
    event->Set();
    return 0;
}

int WaitTimer(const std::string& name, milliseconds due, milliseconds timeout) {
    auto timer = WaitableTimer::Create(name, true);
    if (!timer) return 2;
    timer->SetAt(WaitableTimer::Clock::now() + due);
    Say("ready");
    Say(timer->Wait(timeout) ? "fired" : "timeout");
    return 0;
}

int HoldTimer(const std::string& name) {
    auto timer = WaitableTimer::Create(name, true);
    if (!timer) return 2;
    Say("ready");
    StayUntilKilled();
}

int FireTimer(const std::string& name) {
    auto timer = WaitableTimer::Open(name);
    if (!timer) return 1;
    timer->FireNow();
    return 0;
}

// Dies, when killed, owning the mutex of a shared state.
int HoldSharedLock(const std::string& name) {
    auto region = SharedRegion::Attach("test", name, sizeof(SharedSync), false, [](void*) { return false; });
    if (!region) return 2;
    SharedLock lock(*static_cast<SharedSync*>(region->Data()));
    if (!lock.Held()) return 3;
    Say("locked");
    StayUntilKilled();
}

int HoldDialog(const std::string& windowClass) {
    auto registration = RegisterOpenDialog(windowClass, [] { Say("restored"); });
    if (!registration) return 2;
    Say("ready");
    StayUntilKilled();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 64;
    const std::string mode = argv[1];
    const std::string name = argv[2];
    if (mode == "mutex") return HoldMutex(name);
    if (mode == "event" && argc == 5) return HoldEvent(name, argv[3][0] == '1', argv[4][0] == '1');
    if (mode == "event-wait" && argc == 4) return WaitEvent(name, Ms(argv[3]));
    if (mode == "event-set") return SetEvent(name);
    if (mode == "timer") return HoldTimer(name);
    if (mode == "timer-wait" && argc == 5) return WaitTimer(name, Ms(argv[3]), Ms(argv[4]));
    if (mode == "timer-fire") return FireTimer(name);
    if (mode == "shared-lock") return HoldSharedLock(name);
    if (mode == "dialog") return HoldDialog(name);
    return 64;
}
