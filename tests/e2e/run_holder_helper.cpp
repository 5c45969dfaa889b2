// Plays a first run that waits for its next scheduled time: it passes the
// pre-run check, then sleeps on the run timer. It reports on stdout when it
// is ready, when it woke and whether the run event was signalled, then stays
// alive until it is killed.
#include <chrono>
#include <iostream>
#include <thread>

#include "platform/named_event.h"
#include "platform/waitable_timer.h"
#include "update/ktupdate_app.h"
#include "run/run_names.h"

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
    auto timer = kt::platform::WaitableTimer::Create(kt::run::kUpdaterTimerName, true);
    timer->SetAt(kt::platform::WaitableTimer::Clock::now() + std::chrono::hours(1));
    std::cout << "ready" << std::endl;
    const auto start = std::chrono::steady_clock::now();
    const bool fired = timer->Wait(std::chrono::seconds(60));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    auto event = kt::platform::NamedEvent::Open(kt::run::kUpdaterEventName);
    const bool asked = event && event->Wait(std::chrono::milliseconds(0));
    std::cout << "woke fired=" << fired << " ms=" << waited.count() << " event=" << asked << std::endl;
    std::this_thread::sleep_for(std::chrono::minutes(5));
    return 0;
}
