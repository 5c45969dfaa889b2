// An exclusive lock that holds across processes around a read-modify-write
// of a file: an flock on a hidden lock file beside it. The lock file is
// never replaced, unlike the file it guards, which is renamed over on every
// write; the kernel drops the lock when its holder dies.
#pragma once

#include <chrono>
#include <string>

#include "platform/sys_error.h"
#include "platform/unique_fd.h"

namespace kt::platform {

// How long a writer waits for another one before it gives up: far longer
// than any read-modify-write of a small file takes.
inline constexpr std::chrono::milliseconds kFileLockPatience{10000};

class FileLock {
public:
    // Locks "." + the name of `path` + ".lock" in the folder of `path`, or
    // says which call failed: the folder is missing or not writable, a link
    // stands at the lock file's name, or another holder kept it past `patience`.
    [[nodiscard]] static SysResult<FileLock> Beside(const std::string& path,
                                                    std::chrono::milliseconds patience = kFileLockPatience);

private:
    explicit FileLock(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

// The lock file `FileLock::Beside` uses for `path`.
std::string LockFilePath(const std::string& path);

}  // namespace kt::platform
