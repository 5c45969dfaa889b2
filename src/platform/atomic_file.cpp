#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/random_bytes.h"

namespace kt::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

std::string RandomSuffix() {
    unsigned char bytes[6] = {};
    FillRandomBytes(bytes, sizeof bytes);
    std::string suffix;
    for (unsigned char byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        suffix += hex;
    }
    return suffix;
}

// A hidden name in the same folder, so the rename stays on one file system
// and folder listings that look for the real names never meet it.
int CreateTemporary(const std::filesystem::path& target, std::string& tempPath) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        tempPath = (target.parent_path() / ("." + target.filename().string() + "." + RandomSuffix() + ".tmp")).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

std::error_code WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

void KeepPermissions(int fd, const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncFolder(const std::filesystem::path& folder) {
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

std::error_code ReplaceFileAtomically(const std::string& path, std::string_view content) {
    const std::filesystem::path target(path);
    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0) return LastError();

    KeepPermissions(fd, path);
    std::error_code error = WriteAll(fd, content);
    if (!error && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    if (!error && ::rename(tempPath.c_str(), path.c_str()) != 0) error = LastError();
    if (error) {
        ::unlink(tempPath.c_str());
        return error;
    }
    SyncFolder(target.parent_path());
    return {};
}

namespace {

bool LinkUnsupported(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

std::error_code CreateAndWrite(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return LastError();
    std::error_code error = WriteAll(fd, content);
    if (!error && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    if (error) ::unlink(path.c_str());
    return error;
}

}  // namespace

std::error_code CreateFileExclusively(const std::string& path, std::string_view content) {
    const std::filesystem::path target(path);
    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0) return LastError();
    std::error_code error = WriteAll(fd, content);
    if (!error && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    bool linked = false;
    if (!error) {
        if (::link(tempPath.c_str(), path.c_str()) == 0) linked = true;
        else error = LastError();
    }
    ::unlink(tempPath.c_str());
    if (!linked && error && LinkUnsupported(error.value())) error = CreateAndWrite(path, content);
    if (!error) SyncFolder(target.parent_path());
    return error;
}

}  // namespace kt::platform
