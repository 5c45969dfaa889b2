// What the processes holding a named object synchronise on: a robust
// process-shared mutex around the object's state, and a change counter that
// waiters sleep on with a futex. Both survive the death of any process: the
// mutex of a holder that died is handed on, and a waiter that dies leaves
// nothing behind (a process-shared condition variable could keep a later
// signal blocked for ever after a waiter was killed).
#pragma once

#include <pthread.h>

#include <chrono>
#include <cstdint>

namespace kt::platform {

struct SharedSync {
    pthread_mutex_t mutex;
    alignas(4) std::uint32_t changes;
};

// Sets up a zeroed SharedSync in shared memory.
bool InitSharedSync(SharedSync& sync);

// Holds the mutex while it lives. When the previous owner died inside, the
// state is taken over as it was left: each of its fields is valid alone.
class SharedLock {
public:
    explicit SharedLock(SharedSync& sync);
    ~SharedLock();
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

    // False when the mutex could not be taken; the state must not be touched.
    bool Held() const { return held_; }
    // Wakes every waiter in every process; call after changing the state.
    void NotifyChange();
    // The counter to pass to WaitForChange once the lock is released.
    std::uint32_t Changes() const;

private:
    SharedSync& sync_;
    bool held_;
};

// When a wait of `timeout` from now ends; a timeout too long for the clock
// (such as milliseconds::max() for "no time limit") never ends.
std::chrono::steady_clock::time_point DeadlineAfter(std::chrono::milliseconds timeout);

// Sleeps, without the lock, until the counter moves away from `seen` or
// `maxSleep` has passed. May return early; callers check their state again.
void WaitForChange(SharedSync& sync, std::uint32_t seen, std::chrono::nanoseconds maxSleep);

}  // namespace kt::platform
