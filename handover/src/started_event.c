/* Signals the event "KT_StartUpdateExe" the module waits on: two files in
 * the run-time folder, the event's state and its guard. Holders keep a
 * shared flock on the state, so an exclusive one is granted only when
 * nobody waits any more; the guard keeps that test and our own shared lock
 * apart from the module's set-up and removal. */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/futex.h>
#include <pthread.h>
#include <stdint.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "kthandover.h"
#include "runtime_dir.h"

/* The module's layout of an event's state, field for field. */
struct SharedSync {
    pthread_mutex_t mutex;
    uint32_t changes;
};
struct EventState {
    struct SharedSync sync;
    uint32_t manualReset;
    uint32_t signalled;
};

/* The guard is held for a few system calls only. */
enum { kGuardPatienceMs = 2000, kGuardRetryMs = 1 };

static int TryFlock(int fd, int operation) {
    int rc;
    do {
        rc = flock(fd, operation | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

static int LockGuard(int guard) {
    const struct timespec pause = {0, kGuardRetryMs * 1000000L};
    for (int waited = 0; !TryFlock(guard, LOCK_EX); waited += kGuardRetryMs) {
        if (errno != EWOULDBLOCK || waited >= kGuardPatienceMs) return 0;
        nanosleep(&pause, NULL);
    }
    return 1;
}

/* 0, or the error that kept the mutex from us. */
static int SetSignalled(struct EventState* state) {
    int rc = pthread_mutex_lock(&state->sync.mutex);
    /* A holder that died inside left each field valid on its own. */
    if (rc == EOWNERDEAD) {
        rc = pthread_mutex_consistent(&state->sync.mutex);
        if (rc != 0) pthread_mutex_unlock(&state->sync.mutex);
    }
    if (rc != 0) return rc;
    state->signalled = 1;
    __atomic_fetch_add(&state->sync.changes, 1, __ATOMIC_SEQ_CST);
    /* Not FUTEX_PRIVATE: the waiter is another process. */
    syscall(SYS_futex, &state->sync.changes, FUTEX_WAKE, INT_MAX, NULL, NULL, 0);
    pthread_mutex_unlock(&state->sync.mutex);
    return 0;
}

static kthandover_signal_result Failed(int guard, int state, int error) {
    if (state >= 0) close(state);
    if (guard >= 0) close(guard);
    errno = error;
    return error == ENOENT ? KTHANDOVER_NOBODY_WAITING : KTHANDOVER_FAILED;
}

kthandover_signal_result kthandover_signal_started(void) {
    char path[4096], guardPath[4200];
    if (kthandover_runtime_path("event.KT_StartUpdateExe", path, sizeof path) != 0) return KTHANDOVER_FAILED;
    if (kthandover_runtime_path("event.KT_StartUpdateExe.guard", guardPath, sizeof guardPath) != 0) {
        return KTHANDOVER_FAILED;
    }
    const int guard = open(guardPath, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (guard < 0) return Failed(-1, -1, errno);
    if (!LockGuard(guard)) return Failed(guard, -1, errno == EWOULDBLOCK ? ETIMEDOUT : errno);
    const int state = open(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (state < 0) return Failed(guard, -1, errno);
    if (TryFlock(state, LOCK_EX)) return Failed(guard, state, ENOENT);
    if (!TryFlock(state, LOCK_SH)) return Failed(guard, state, errno);
    close(guard);

    struct stat info;
    if (fstat(state, &info) != 0 || info.st_size != (off_t)sizeof(struct EventState)) {
        return Failed(-1, state, EBADMSG);
    }
    struct EventState* mapped =
        mmap(NULL, sizeof(struct EventState), PROT_READ | PROT_WRITE, MAP_SHARED, state, 0);
    if (mapped == MAP_FAILED) return Failed(-1, state, errno);
    const int error = SetSignalled(mapped);
    munmap(mapped, sizeof(struct EventState));
    if (error != 0) return Failed(-1, state, error);
    close(state);
    return KTHANDOVER_SIGNALLED;
}
