// The two events between the download dialog and its worker thread: the
// dialog is ready (the first attempt waits for it) and the user cancelled
// (the attempts poll it). Both reset themselves when a wait or a poll finds
// them set. The download job holds one of each.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kt::download {

class AutoResetEvent {
public:
    void Set();
    void Reset();
    // True when set, and then clears it.
    bool Poll();
    // True when set; leaves it set, for a wait that must not take the
    // event from the check that acts on it.
    bool IsSet() const { return set_.load(std::memory_order_acquire); }
    // Waits until set, then clears it.
    void Wait();
    // Waits at most `limit` until set; leaves it set. True when set.
    bool WaitSet(std::chrono::milliseconds limit);

private:
    mutable std::mutex mutex_;
    std::condition_variable signalled_;
    std::atomic<bool> set_{false};
};

}  // namespace kt::download
