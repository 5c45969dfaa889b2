// What the network lock updating.xml says about its holder, and whether a
// workstation looking at it may take it over. Older workstations write and
// read only the GUID and the date; the holder's host, process, boot and
// heartbeat are attributes they ignore.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace kt::config {

// A lock taken yesterday still counts: an update can run past midnight.
inline constexpr long long kFreshLockDays = 1;
// The holder refreshes its heartbeat every minute; ten minutes of silence
// from another host means the holder is gone.
inline constexpr std::time_t kHeartbeatSilenceSeconds = 600;

struct LockRecord {
    std::string guid;
    // The day the lock was taken, "d.m.y".
    std::string date;
    std::string host;
    std::string processId;
    std::string bootId;
    // UTC, "YYYY-MM-DDTHH:MM:SSZ".
    std::string heartbeat;
};

// The workstation that looks at a lock.
struct LockObserver {
    std::string guid;
    std::string host;
    std::string bootId;
    std::function<bool(std::int64_t)> processExists;
};

enum class LockVerdict {
    // This workstation's own lock.
    kOwn,
    // Its holder is gone: too old, a dead process on this machine, or a
    // silent heartbeat from another one.
    kStale,
    // Another workstation is updating.
    kFresh,
};

// The moment a lock is looked at: its local date-time for the day rule, its
// epoch seconds for the heartbeat.
struct LockNow {
    std::tm local;
    std::time_t epoch;
};
// Now, from the system clock.
LockNow CurrentLockNow();
// The moment a local date-time names.
LockNow LockNowOf(const std::tm& local);

LockVerdict JudgeLock(const LockRecord& lock, const LockObserver& observer, const LockNow& now);

// The record in a lock file's content; fields it lacks are empty. Texts are
// cut to the lengths every reader uses.
LockRecord ParseLockRecord(const std::string& content);
// The file content for `lock`.
std::string LockFileContent(const LockRecord& lock);

// The heartbeat text of a moment, and back; nothing for a malformed text.
std::string HeartbeatText(std::time_t utc);
bool ParseHeartbeat(const std::string& text, std::time_t* utc);

}  // namespace kt::config
