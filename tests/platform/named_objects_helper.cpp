// The other process of the cross-process tests: takes or waits on one named
// object of the kind its first argument names, reports on its standard
// output, then stays until the test kills it (at most a minute).
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform/machine_values.h"
#include "platform/named_event.h"
#include "platform/named_mutex.h"
#include "platform/private_profile.h"
#include "platform/shared_region.h"
#include "platform/shared_sync.h"
#include "platform/waitable_timer.h"

namespace {

using namespace kt::platform;
using std::chrono::seconds;

int Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return 0;
}

int Stay() {
    std::this_thread::sleep_for(seconds(60));
    return 0;
}

// Takes and drops the mutex `rounds` times; while first holder it keeps
// `marker`, made by an exclusive create, so that a second holder at the same
// moment would find it there. Reports how often it held it, then holds it
// until killed.
int Mutex(const std::string& name, int rounds, const char* marker) {
    int held = 0;
    for (int i = 0; i < rounds; ++i) {
        bool existed = false;
        auto mutex = NamedMutex::Create(name, existed);
        if (!mutex) return 2;
        if (existed) continue;
        const int fd = open(marker, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) return Say("two holders") + 3;
        close(fd);
        ++held;
        std::this_thread::yield();
        unlink(marker);
    }
    Say("held=" + std::to_string(held));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        bool existed = false;
        auto mutex = NamedMutex::Create(name, existed);
        if (mutex && !existed) return Say("holding") + Stay();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 4;
}

// Waits on `object` after saying it is ready, reports whether it was woken.
template <typename Object>
int WaitOn(const Object& object, const char* woken) {
    if (!object) return 2;
    Say("ready");
    Say(object->Wait(std::chrono::milliseconds(30000)) ? woken : "timeout");
    return Stay();
}

// Read-modify-writes of the machine-wide counter and of an INI file (one new
// key per round), `rounds` times.
int RewriteFiles(const std::string& ini, int rounds, const std::string& tag) {
    for (int i = 0; i < rounds; ++i) {
        if (!MachineValue("Software/Talvo/Talvo", "FailCount").IncrementDword() ||
            !WritePrivateProfileString("SSV", tag + std::to_string(i), "x", ini)) {
            return 2;
        }
    }
    return Say("done");
}

int Run(const std::string& kind, const std::string& name, int argc, char** argv) {
    if (kind == "mutex" && argc == 5) return Mutex(name, std::atoi(argv[3]), argv[4]);
    if (kind == "event") return WaitOn(NamedEvent::Create(name, true, false), "signalled");
    if (kind == "timer") return WaitOn(WaitableTimer::Create(name, true), "fired");
    if (kind == "files" && argc == 5) return RewriteFiles(name, std::atoi(argv[3]), argv[4]);
    if (kind == "dialog") {
        auto dialog = RegisterOpenDialog(name, [] { Say("restored"); });
        return dialog ? Say("ready") + Stay() : 2;
    }
    if (kind == "shared-lock") {
        // Dies, when killed, owning the mutex of a shared state.
        auto region = SharedRegion::Attach("test", name, sizeof(SharedSync), false, [](void*) { return false; });
        if (!region) return 2;
        SharedLock lock(*static_cast<SharedSync*>(region->Data()));
        return lock.Held() ? Say("locked") + Stay() : 3;
    }
    return 64;
}

}  // namespace

int main(int argc, char** argv) { return argc < 3 ? 64 : Run(argv[1], argv[2], argc, argv); }
