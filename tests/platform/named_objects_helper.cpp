// The other process of the cross-process tests. It takes or uses one named
// object as its arguments say, reports on its standard output, and then
// either ends or stays until the test kills it (at most a minute). Setting
// or firing an object reports whether it existed.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform/machine_values.h"
#include "platform/private_profile.h"
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

// Reports `line` once `held` is there, then keeps it until killed.
template <typename Held>
int SayAndStay(const Held& held, const char* line) {
    if (!held) return 2;
    Say(line);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
}

// Waits on `object` after saying it is ready; reports whether it was woken.
template <typename Object>
int WaitOn(Object& object, milliseconds timeout, const char* woken) {
    if (!object) return 2;
    Say("ready");
    Say(object->Wait(timeout) ? woken : "timeout");
    return 0;
}

// Takes and drops the mutex `rounds` times. While it is the first holder it
// keeps `marker`, made by an exclusive create, so that a second holder at the
// same moment would find it there. Reports how often it held the mutex; with
// `stayHolding` it then holds it once more until killed.
int MutexRounds(const std::string& name, int rounds, const char* marker, bool stayHolding) {
    int held = 0;
    for (int i = 0; i < rounds; ++i) {
        bool existed = false;
        auto mutex = NamedMutex::Create(name, existed);
        if (!mutex) return 2;
        if (existed) continue;
        const int fd = open(marker, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            Say("two holders");
            return 3;
        }
        close(fd);
        ++held;
        std::this_thread::yield();
        unlink(marker);
    }
    std::printf("held=%d\n", held);
    std::fflush(stdout);
    if (!stayHolding) return 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        bool existed = false;
        auto mutex = NamedMutex::Create(name, existed);
        if (mutex && !existed) return SayAndStay(mutex, "holding");
        std::this_thread::sleep_for(milliseconds(1));
    }
    return 4;
}

// Read-modify-writes of shared files, `rounds` times: the machine-wide
// counter, or one new key per round in an INI file.
int FileRounds(const std::string& mode, const std::string& target, int rounds, const std::string& tag) {
    for (int i = 0; i < rounds; ++i) {
        const bool done = mode == "count-up"
                              ? static_cast<bool>(MachineValue("Software/Talvo/Talvo", target).IncrementDword())
                              : WritePrivateProfileString("SSV", tag + std::to_string(i), "x", target);
        if (!done) return 2;
    }
    Say("done");
    return 0;
}

int Run(const std::string& mode, const std::string& name, int argc, char** argv) {
    const auto ms = [&](int i) { return milliseconds(i < argc ? std::atol(argv[i]) : 0); };
    if (mode == "mutex-rounds" && argc >= 5) return MutexRounds(name, std::atoi(argv[3]), argv[4], argc > 5);
    if (mode == "event" && argc == 5) return SayAndStay(NamedEvent::Create(name, argv[3][0] == '1', argv[4][0] == '1'), "ready");
    if (mode == "event-wait") {
        auto event = NamedEvent::Create(name, true, false);
        return WaitOn(event, ms(3), "signalled");
    }
    if (mode == "event-set") {
        auto event = NamedEvent::Open(name);
        if (event) event->Set();
        Say(event ? "set" : "absent");
        return 0;
    }
    if (mode == "timer") return SayAndStay(WaitableTimer::Create(name, true), "ready");
    if (mode == "timer-wait") {
        auto timer = WaitableTimer::Create(name, true);
        if (timer) timer->SetAt(WaitableTimer::Clock::now() + ms(3));
        return WaitOn(timer, ms(4), "fired");
    }
    if (mode == "timer-fire") {
        auto timer = WaitableTimer::Open(name);
        if (timer) timer->FireNow();
        Say(timer ? "fired" : "absent");
        return 0;
    }
    if (mode == "shared-lock") {
        // Dies, when killed, owning the mutex of a shared state.
        auto region = SharedRegion::Attach("test", name, sizeof(SharedSync), false, [](void*) { return false; });
        if (!region) return 2;
        SharedLock lock(*static_cast<SharedSync*>(region->Data()));
        return lock.Held() ? SayAndStay(region, "locked") : 3;
    }
    if ((mode == "count-up" || mode == "ini-keys") && argc == 5) return FileRounds(mode, name, std::atoi(argv[3]), argv[4]);
    if (mode == "dialog") return SayAndStay(RegisterOpenDialog(name, [] { Say("restored"); }), "ready");
    return 64;
}

}  // namespace

int main(int argc, char** argv) { return argc < 3 ? 64 : Run(argv[1], argv[2], argc, argv); }
