// One workstation starting a download: at the given instant (milliseconds
// of the system clock) it takes the network lock of the update folder for
// its application folder, says "taken", "elsewhere" or "failed", and keeps
// what it took for `hold` milliseconds without releasing it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "config/updating_lock.h"

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    kt::run::RunContext ctx;
    ctx.updateDir = argv[1];
    ctx.updateDirSlash = ctx.updateDir + "/";
    ctx.appDir = std::string(argv[2]) + "/";
    std::this_thread::sleep_until(std::chrono::system_clock::time_point(std::chrono::milliseconds(std::atoll(argv[3]))));
    const kt::config::LockTake result = kt::config::TakeUpdatingLock(ctx);
    std::printf("%s\n", result == kt::config::LockTake::kTaken           ? "taken"
                        : result == kt::config::LockTake::kHeldElsewhere ? "elsewhere"
                                                                         : "failed");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoll(argv[4])));
    std::_Exit(0);
}
