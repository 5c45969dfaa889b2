#include "platform/open_below.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

namespace kt::platform {
namespace {

namespace fs = std::filesystem;

SysError Refused(const std::string& call, const std::string& path, std::errc error) {
    return {call, path, std::make_error_code(error)};
}

// The steps from `root` down to `path`; nothing when `path` is not inside.
std::optional<std::vector<std::string>> StepsBelow(const std::string& root, const std::string& path) {
    fs::path base = fs::path(root).lexically_normal();
    if (!base.has_filename() && base.has_parent_path()) base = base.parent_path();
    const fs::path relative = fs::path(path).lexically_normal().lexically_relative(base);
    if (relative.empty() || relative == "." || relative.is_absolute()) return std::nullopt;
    std::vector<std::string> steps;
    for (const fs::path& step : relative) {
        const std::string name = step.string();
        if (name == "..") return std::nullopt;
        if (!name.empty() && name != ".") steps.push_back(name);
    }
    if (steps.empty()) return std::nullopt;
    return steps;
}

// The folder `name` inside `parent`, when it is a real folder and no link.
SysResult<UniqueFd> StepInto(const UniqueFd& parent, const std::string& name, const std::string& path) {
    struct stat info {};
    if (::fstatat(parent.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) {
        return Refused("open", path, std::errc::too_many_symbolic_link_levels);
    }
    // O_NOFOLLOW again: a link swapped in after the check is not followed either.
    UniqueFd next(RetryOnEintr([&] {
        return ::openat(parent.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }));
    if (!next.Valid()) return LastSysError("open", path);
    return next;
}

}  // namespace

SysResult<UniqueFd> OpenBelow(const std::string& root, const std::string& path, int flags, mode_t mode) {
    const auto steps = StepsBelow(root, path);
    if (!steps) return Refused("open", path, std::errc::cross_device_link);
    UniqueFd folder(RetryOnEintr([&] { return ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }));
    if (!folder.Valid()) return LastSysError("open", root);
    for (std::size_t i = 0; i + 1 < steps->size(); ++i) {
        auto next = StepInto(folder, (*steps)[i], path);
        if (!next) return next.Error();
        folder = std::move(*next);
    }
    UniqueFd file(RetryOnEintr(
        [&] { return ::openat(folder.Get(), steps->back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode); }));
    if (!file.Valid()) return LastSysError("open", path);
    return file;
}

namespace {

SysStatus CopyContent(int from, int to, const std::string& target) {
    char block[65536];
    for (;;) {
        const ssize_t got = RetryOnEintr([&] { return ::read(from, block, sizeof block); });
        if (got < 0) return LastSysError("read", target);
        if (got == 0) return {};
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = RetryOnEintr([&] { return ::write(to, block + done, got - done); });
            if (written < 0) return LastSysError("write", target);
            done += written;
        }
    }
}

}  // namespace

SysStatus CopyFileBelow(const std::string& fromRoot, const std::string& from, const std::string& toRoot,
                        const std::string& to) {
    // O_NONBLOCK: a pipe planted in place of the file must not hang the run.
    auto source = OpenBelow(fromRoot, from, O_RDONLY | O_NONBLOCK);
    if (!source) return source.Error();
    struct stat info {};
    if (::fstat(source->Get(), &info) != 0) return LastSysError("stat", from);
    if (!S_ISREG(info.st_mode)) return Refused("open", from, std::errc::invalid_argument);
    auto target = OpenBelow(toRoot, to, O_WRONLY | O_CREAT | O_TRUNC);
    if (!target) return target.Error();
    SysStatus copied = CopyContent(source->Get(), target->Get(), to);
    if (copied && ::close(target->Release()) != 0) copied = LastSysError("close", to);
    if (!copied) {
        // Only after a successful open: the name is ours, not a link.
        std::error_code ec;
        fs::remove(to, ec);
    }
    return copied;
}

}  // namespace kt::platform
