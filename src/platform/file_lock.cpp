#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <filesystem>
#include <thread>

namespace kt::platform {
namespace {

constexpr auto kRetry = std::chrono::milliseconds(2);

// Readable by everyone, so that other users' processes can lock it too:
// flock needs no write access.
constexpr mode_t kLockFileMode = 0644;

}  // namespace

std::string LockFilePath(const std::string& path) {
    const std::filesystem::path target(path);
    std::string name = ".";
    name.append(target.filename().string()).append(".lock");
    return (target.parent_path() / name).string();
}

SysResult<FileLock> FileLock::Beside(const std::string& path, std::chrono::milliseconds patience) {
    const std::string lockPath = LockFilePath(path);
    UniqueFd fd(RetryOnEintr(
        [&] { return ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kLockFileMode); }));
    if (!fd.Valid()) return LastSysError("open", lockPath);
    // Polled rather than blocking, so that a holder stopped for good cannot
    // hang the caller for ever.
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (RetryOnEintr([&] { return ::flock(fd.Get(), LOCK_EX | LOCK_NB); }) != 0) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) return LastSysError("flock", lockPath);
        std::this_thread::sleep_for(kRetry);
    }
    return FileLock(std::move(fd));
}

}  // namespace kt::platform
