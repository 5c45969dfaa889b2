#include "platform/shared_sync.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

namespace kt::platform {
namespace {

using Counter = std::atomic_ref<std::uint32_t>;
static_assert(Counter::is_always_lock_free);

long Futex(std::uint32_t* word, int operation, std::uint32_t value, const timespec* timeout) {
    // Not FUTEX_PRIVATE: waiters and wakers are in different processes.
    return ::syscall(SYS_futex, word, operation, value, timeout, nullptr, 0);
}

}  // namespace

bool InitSharedSync(SharedSync& sync) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    const bool ready = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                       pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                       pthread_mutex_init(&sync.mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return ready;
}

SharedLock::SharedLock(SharedSync& sync) : sync_(sync), held_(false) {
    const int rc = pthread_mutex_lock(&sync_.mutex);
    if (rc == EOWNERDEAD) {
        held_ = pthread_mutex_consistent(&sync_.mutex) == 0;
        if (!held_) pthread_mutex_unlock(&sync_.mutex);
    } else {
        held_ = rc == 0;
    }
}

SharedLock::~SharedLock() {
    if (held_) pthread_mutex_unlock(&sync_.mutex);
}

void SharedLock::NotifyChange() {
    Counter(sync_.changes).fetch_add(1);
    Futex(&sync_.changes, FUTEX_WAKE, INT_MAX, nullptr);
}

std::uint32_t SharedLock::Changes() const { return Counter(sync_.changes).load(); }

std::chrono::steady_clock::time_point DeadlineAfter(std::chrono::milliseconds timeout) {
    using std::chrono::steady_clock;
    const auto now = steady_clock::now();
    const auto room = std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::time_point::max() - now);
    return timeout >= room ? steady_clock::time_point::max() : now + timeout;
}

void WaitForChange(SharedSync& sync, std::uint32_t seen, std::chrono::nanoseconds maxSleep) {
    if (maxSleep <= std::chrono::nanoseconds::zero()) return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(maxSleep);
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(seconds.count());
    timeout.tv_nsec = static_cast<long>((maxSleep - seconds).count());
    // Returns at once when the counter already moved on since `seen`.
    Futex(&sync.changes, FUTEX_WAIT, seen, &timeout);
}

}  // namespace kt::platform
