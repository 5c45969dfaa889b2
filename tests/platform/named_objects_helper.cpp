// The other process of the cross-process tests: takes one named object of
// the kind its first argument names, reports on its standard output, then
// stays until the test kills it (at most a minute).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform/machine_values.h"
#include "platform/shared_region.h"
#include "platform/shared_sync.h"

namespace {

using namespace kt::platform;

int Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return 0;
}

int Stay() {
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
}

int Run(const std::string& kind, const std::string& name) {
    if (kind == "dialog") {
        auto dialog = RegisterOpenDialog(name, [] { Say("restored"); });
        return dialog ? Say("ready") + Stay() : 2;
    }
    if (kind == "count") {  // increments the machine-wide counter `name` times
        MachineValue counter("Software/Talvo/Talvo", "FailCount");
        for (int i = std::atoi(name.c_str()); i > 0; --i) if (!counter.IncrementDword()) return 2;
        return Say("done");
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

int main(int argc, char** argv) { return argc < 3 ? 64 : Run(argv[1], argv[2]); }
