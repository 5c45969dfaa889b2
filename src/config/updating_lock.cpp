#include "config/updating_lock.h"

#include <cerrno>
#include <filesystem>

#include "config/app_guid.h"
#include "config/calendar_date.h"
#include "log/activity_log.h"
#include "platform/atomic_file.h"
#include "platform/file_identity.h"
#include "platform/host_identity.h"
#include "platform/process.h"

namespace kt::config {
namespace {

constexpr std::size_t kGuidChars = 128;
// Rounds of "someone else's stale lock is in the way" before giving up.
constexpr int kTakeAttempts = 4;

std::string LockPath(const std::string& updateDirSlash) {
    return (std::filesystem::path(updateDirSlash) / kUpdatingLockName).string();
}

LockObserver ThisWorkstation(run::RunContext& ctx) {
    LockObserver observer;
    GetAppFormattedGuid(ctx, &observer.guid, kGuidChars);
    observer.host = platform::HostName();
    observer.bootId = platform::BootId();
    observer.processExists = platform::ProcessExists;
    return observer;
}

// Deletes the very file that was judged; a newer one put there since stays.
bool RemoveJudged(const std::string& lockPath, const platform::FileIdentity& identity) {
    if (platform::RemoveFileIfSame(lockPath, identity) != platform::RemoveOutcome::kFailed) return true;
    KT_LOG(Error) << "Can't delete " << lockPath << " : " << std::error_code(errno, std::generic_category()).message();
    return false;
}

// The lock as found: nothing when there is none.
struct FoundLock {
    platform::FileIdentity identity;
    LockVerdict verdict;
};

std::optional<FoundLock> Judge(const std::string& lockPath, const LockObserver& observer, const LockNow& now) {
    const auto file = platform::ReadIdentifiedFile(lockPath);
    if (!file) return std::nullopt;
    return FoundLock{file->identity, JudgeLock(ParseLockRecord(file->content), observer, now)};
}

}  // namespace

int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath) {
    return IsLockHeldElsewhere(ctx, lockPath, CurrentLockNow());
}

int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const std::tm& now) {
    return IsLockHeldElsewhere(ctx, lockPath, LockNowOf(now));
}

int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const LockNow& now) {
    std::error_code ec;
    if (!std::filesystem::exists(lockPath, ec)) return 0;
    const auto found = Judge(lockPath, ThisWorkstation(ctx), now);
    if (!found) return 0;
    if (found->verdict == LockVerdict::kFresh) return 1;
    RemoveJudged(lockPath, found->identity);
    return 0;
}

int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash) {
    return IsLockHeldElsewhere(ctx, LockPath(updateDirSlash), CurrentLockNow());
}

int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash, const std::tm& now) {
    return IsLockHeldElsewhere(ctx, LockPath(updateDirSlash), now);
}

LockTake TakeUpdatingLock(run::RunContext& ctx) { return TakeUpdatingLock(ctx, CurrentLockNow(), kHeartbeatInterval); }

LockTake TakeUpdatingLock(run::RunContext& ctx, const std::tm& now, std::chrono::milliseconds heartbeatEvery) {
    return TakeUpdatingLock(ctx, LockNowOf(now), heartbeatEvery);
}

LockTake TakeUpdatingLock(run::RunContext& ctx, const LockNow& now, std::chrono::milliseconds heartbeatEvery) {
    if (ctx.updateDirSlash.empty()) return LockTake::kFailed;
    const std::string lockPath = LockPath(ctx.updateDirSlash);
    const LockObserver observer = ThisWorkstation(ctx);
    const LockRecord mine{observer.guid, DateText(now.local), observer.host,
                          std::to_string(platform::CurrentProcessId()), observer.bootId, HeartbeatText(now.epoch)};
    const std::string content = LockFileContent(mine);
    for (int attempt = 0; attempt < kTakeAttempts; ++attempt) {
        const platform::SysStatus created = platform::CreateFileExclusively(lockPath, content);
        if (created) {
            StartLockHeartbeat(lockPath, heartbeatEvery);
            return LockTake::kTaken;
        }
        if (created.Error().code.value() != EEXIST) {
            KT_LOG(Error) << "Can't write " << lockPath << " : " << created.Error().code.message();
            return LockTake::kFailed;
        }
        const auto found = Judge(lockPath, observer, now);
        if (!found) continue;
        if (found->verdict == LockVerdict::kFresh) return LockTake::kHeldElsewhere;
        if (!RemoveJudged(lockPath, found->identity)) return LockTake::kFailed;
    }
    return LockTake::kHeldElsewhere;
}

void ReleaseUpdatingLock(run::RunContext& ctx) { ReleaseUpdatingLock(ctx, CurrentLockNow()); }

void ReleaseUpdatingLock(run::RunContext& ctx, const std::tm& now) { ReleaseUpdatingLock(ctx, LockNowOf(now)); }

void ReleaseUpdatingLock(run::RunContext& ctx, const LockNow& now) {
    if (ctx.updateDirSlash.empty()) return;
    const std::string lockPath = LockPath(ctx.updateDirSlash);
    StopLockHeartbeat(lockPath);
    std::error_code ec;
    if (!std::filesystem::exists(lockPath, ec)) return;
    const auto found = Judge(lockPath, ThisWorkstation(ctx), now);
    if (found && found->verdict != LockVerdict::kFresh) RemoveJudged(lockPath, found->identity);
}

}  // namespace kt::config
