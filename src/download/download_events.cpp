#include "download/download_events.h"

namespace kt::download {

void AutoResetEvent::Set() {
    std::lock_guard lock(mutex_);
    set_.store(true, std::memory_order_release);
    signalled_.notify_all();
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_.store(false, std::memory_order_release);
}

bool AutoResetEvent::Poll() {
    // Checked before and after every read of a transfer: the usual answer
    // costs no lock.
    if (!IsSet()) return false;
    std::lock_guard lock(mutex_);
    return set_.exchange(false, std::memory_order_acq_rel);
}

void AutoResetEvent::Wait() {
    std::unique_lock lock(mutex_);
    signalled_.wait(lock, [this] { return IsSet(); });
    set_.store(false, std::memory_order_release);
}

bool AutoResetEvent::WaitSet(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return signalled_.wait_for(lock, limit, [this] { return IsSet(); });
}

}  // namespace kt::download
