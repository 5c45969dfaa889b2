// Plays a first run that waits for its next scheduled time: it passes the
// pre-run check, turns on a daily schedule two hours from now and waits for
// it. It reports on stdout when it is ready, then when the wait ended (on the
// monotonic clock), how long it took and what it returned; it then stays alive until it is killed.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "config/calendar_date.h"
#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "update/ktupdate_app.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: run_holder_helper UPDATE_DIR APP_DIR\n";
        return 2;
    }
    kt::update::CKTupdateDLLApp app;
    if (app.IsRunBlocked(nullptr, argv[1], 1, 0, argv[2]) != 0) {
        std::cout << "blocked" << std::endl;
        return 1;
    }
    kt::run::RunContext& ctx = app.Context();
    ctx.updateDir = argv[1];
    ctx.updateDirSlash = ctx.updateDir + "/";
    ctx.appDir = std::string(argv[2]) + "/";
    ctx.version = ctx.compatVersion = "5.2.0";
    kt::config::CreateDefaultConfig(ctx, "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
    const std::tm now = kt::config::LocalNow();
    char time[8];
    std::snprintf(time, sizeof time, "%d:%02d", (now.tm_hour + 2) % 24, now.tm_min);
    const std::string appId = kt::config::AppIdPath(ctx);
    for (const auto& [attribute, value] : {std::pair{"Active", "1"}, {"Frequency", "1"}, {"Time", time}}) {
        kt::config::SetNodeData(appId, "Workstation", "Schedule", nullptr, attribute, value);
    }
    std::cout << "ready" << std::endl;
    const auto start = std::chrono::steady_clock::now();
    const int result = app.WaitForSchedule();
    const auto end = std::chrono::steady_clock::now();
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(end - start);
    // The machine's monotonic clock, which the test reads too.
    const double at = std::chrono::duration<double>(end.time_since_epoch()).count();
    std::cout << "woke result=" << result << " ms=" << waited.count() << std::fixed << " at=" << at << std::endl;
    std::this_thread::sleep_for(std::chrono::minutes(5));
    return 0;
}
