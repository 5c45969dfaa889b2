// A waitable timer known by name to every process of the user: a waiter
// sleeps until the due time, or until another process makes it fire now.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace kt::platform {

class WaitableTimer {
public:
    using Clock = std::chrono::system_clock;

    // Creates the timer (not set), or opens it when a live handle holds it.
    static std::unique_ptr<WaitableTimer> Create(const std::string& name, bool manualReset);
    // Opens an existing timer; null when no live process holds it.
    static std::unique_ptr<WaitableTimer> Open(const std::string& name);
    ~WaitableTimer();
    WaitableTimer(const WaitableTimer&) = delete;
    WaitableTimer& operator=(const WaitableTimer&) = delete;

    // Sets the timer to fire at `due` (no period); a due time already past
    // fires it at once.
    void SetAt(Clock::time_point due);
    void FireNow();
    // Stops a timer that has not fired yet; a fired timer stays signalled.
    void Cancel();
    // True when the timer fired within the timeout.
    bool Wait(std::chrono::milliseconds timeout);

private:
    struct Impl;
    explicit WaitableTimer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace kt::platform
