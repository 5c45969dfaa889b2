#include "platform/file_identity.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/random_bytes.h"

namespace kt::platform {
namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::string AsidePath(const std::string& path) {
    // Without the random source the process id still keeps the names of two
    // processes of this host apart.
    std::string suffix = "p";
    if (const std::optional<std::string> random = RandomNameSuffix()) suffix = *random;
    else suffix += std::to_string(::getpid());
    const std::size_t slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameAt) + "." + path.substr(nameAt) + "." + suffix + ".old";
}

}  // namespace

std::optional<IdentifiedContent> ReadIdentifiedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    IdentifiedContent result;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    result.identity = IdentityOf(info);
    char buffer[4096];
    while (ok) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        result.content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return result;
}

RemoveOutcome RemoveFileIfSame(const std::string& path, const FileIdentity& identity) {
    const std::string aside = AsidePath(path);
    if (::rename(path.c_str(), aside.c_str()) != 0) return errno == ENOENT ? RemoveOutcome::kGone : RemoveOutcome::kFailed;
    struct stat info {};
    if (::lstat(aside.c_str(), &info) == 0 && IdentityOf(info) == identity) {
        ::unlink(aside.c_str());
        return RemoveOutcome::kRemoved;
    }
    // Someone else's file: back where it was, unless yet another one has
    // taken the name meanwhile (the later one keeps it).
    ::link(aside.c_str(), path.c_str());
    ::unlink(aside.c_str());
    return RemoveOutcome::kReplaced;
}

}  // namespace kt::platform
