#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/random_bytes.h"
#include "platform/unique_fd.h"

namespace kt::platform {
namespace {

constexpr int kNameAttempts = 8;

// A hidden name in the same folder, so the rename stays on one file system
// and folder listings that look for the real names never meet it.
SysResult<UniqueFd> CreateTemporary(const std::filesystem::path& target, std::string& tempPath) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const auto suffix = RandomNameSuffix();
        if (!suffix) return LastSysError("getrandom", target.string());
        // Appended piece by piece: "." + a temporary trips a false -Wrestrict of GCC 12 at -O3.
        std::string name = ".";
        name.append(target.filename().string()).append(".").append(*suffix).append(".tmp");
        tempPath = (target.parent_path() / name).string();
        UniqueFd fd(RetryOnEintr([&] { return ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }));
        if (fd.Valid()) return fd;
        if (errno != EEXIST) break;
    }
    return LastSysError("open", tempPath);
}

SysStatus WriteAll(int fd, std::string_view content, const std::string& tempPath) {
    while (!content.empty()) {
        const ssize_t written = RetryOnEintr([&] { return ::write(fd, content.data(), content.size()); });
        if (written < 0) return LastSysError("write", tempPath);
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// Best effort: a shared folder may refuse permission changes, and the
// content matters more than the mode.
void SetPermissions(int fd, const std::string& path, std::optional<mode_t> newFileMode) {
    struct stat old {};
    std::optional<mode_t> mode = newFileMode;
    // A link planted at the name lends nothing: the rename replaces the link, not its target.
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;
    if (mode) static_cast<void>(::fchmod(fd, *mode));
}

SysStatus WriteTemporary(const std::string& path, std::string_view content, std::optional<mode_t> newFileMode,
                         const std::string& tempPath, UniqueFd fd) {
    SetPermissions(fd.Get(), path, newFileMode);
    if (SysStatus written = WriteAll(fd.Get(), content, tempPath); !written) return written;
    if (::fsync(fd.Get()) != 0) return LastSysError("fsync", tempPath);
    // Close errors report a write that never reached the disk.
    if (::close(fd.Release()) != 0) return LastSysError("close", tempPath);
    return {};
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolder(const std::filesystem::path& folder) {
    const UniqueFd dir(RetryOnEintr(
        [&] { return ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (dir.Valid()) ::fsync(dir.Get());
}

}  // namespace

SysStatus ReplaceFileAtomically(const std::string& path, std::string_view content, std::optional<mode_t> newFileMode) {
    const std::filesystem::path target(path);
    std::string tempPath;
    auto fd = CreateTemporary(target, tempPath);
    if (!fd) return fd.Error();
    SysStatus done = WriteTemporary(path, content, newFileMode, tempPath, std::move(*fd));
    if (done && ::rename(tempPath.c_str(), path.c_str()) != 0) done = LastSysError("rename", path);
    if (!done) {
        ::unlink(tempPath.c_str());
        return done;
    }
    SyncFolder(target.parent_path());
    return {};
}

namespace {

bool LinkUnsupported(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

SysStatus CreateAndWrite(const std::string& path, std::string_view content) {
    UniqueFd fd(RetryOnEintr([&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }));
    if (!fd.Valid()) return LastSysError("open", path);
    SysStatus done = WriteAll(fd.Get(), content, path);
    if (done && ::fsync(fd.Get()) != 0) done = LastSysError("fsync", path);
    if (done && ::close(fd.Release()) != 0) done = LastSysError("close", path);
    if (!done) ::unlink(path.c_str());
    return done;
}

}  // namespace

SysStatus CreateFileExclusively(const std::string& path, std::string_view content) {
    const std::filesystem::path target(path);
    std::string tempPath;
    auto fd = CreateTemporary(target, tempPath);
    if (!fd) return fd.Error();
    SysStatus done = WriteTemporary(path, content, std::nullopt, tempPath, std::move(*fd));
    if (done && ::link(tempPath.c_str(), path.c_str()) != 0) done = LastSysError("link", path);
    ::unlink(tempPath.c_str());
    if (!done && LinkUnsupported(done.Error().code.value())) done = CreateAndWrite(path, content);
    if (done) SyncFolder(target.parent_path());
    return done;
}

}  // namespace kt::platform
