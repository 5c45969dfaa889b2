#include "config/lock_heartbeat.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "config/lock_record.h"
#include "log/activity_log.h"
#include "platform/atomic_file.h"
#include "platform/file_identity.h"
#include "platform/host_identity.h"
#include "platform/process.h"

namespace kt::config {
namespace {

// True when `lock` was written by this process.
bool IsHeldHere(const LockRecord& lock) {
    return lock.host == platform::HostName() && lock.bootId == platform::BootId() &&
           lock.processId == std::to_string(platform::CurrentProcessId());
}

// One stamp; false once the lock is not this process's any more.
bool Stamp(const std::string& lockPath) {
    const auto file = platform::ReadIdentifiedFile(lockPath);
    LockRecord lock = ParseLockRecord(file ? file->content : std::string());
    if (!file || !IsHeldHere(lock)) {
        KT_LOG(Warning) << lockPath << " is no longer held by this workstation";
        return false;
    }
    lock.heartbeat = HeartbeatText(std::time(nullptr));
    if (const platform::SysStatus written = platform::ReplaceFileAtomically(lockPath, LockFileContent(lock)); !written) {
        KT_LOG(Error) << "Can't write " << lockPath << " : " << written.Error().code.message();
    }
    return true;
}

void Beat(std::stop_token stop, std::string lockPath, std::chrono::milliseconds interval) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait_for(lock, stop, interval, [] { return false; });
        if (stop.stop_requested() || !Stamp(lockPath)) return;
    }
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::jthread> beats;
};

// Never destroyed: a lock still held when the library is unloaded is
// released by its ExitInstance, which stops its thread first.
Registry& Beats() {
    static auto* registry = new Registry;
    return *registry;
}

}  // namespace

void StartLockHeartbeat(const std::string& lockPath, std::chrono::milliseconds interval) {
    StopLockHeartbeat(lockPath);
    Registry& registry = Beats();
    std::lock_guard guard(registry.mutex);
    registry.beats.emplace(lockPath, std::jthread(Beat, lockPath, interval));
}

void StopLockHeartbeat(const std::string& lockPath) {
    std::jthread beat;
    {
        Registry& registry = Beats();
        std::lock_guard guard(registry.mutex);
        const auto found = registry.beats.find(lockPath);
        if (found == registry.beats.end()) return;
        beat = std::move(found->second);
        registry.beats.erase(found);
    }
    // Joined outside the registry's mutex: the thread never takes it.
}

}  // namespace kt::config
