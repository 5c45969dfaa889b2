#include "platform/named_object.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/system_paths.h"

namespace kt::platform {
namespace {

// The guard is held for a few system calls only; a process stopped while
// holding it must not hang the others for ever.
constexpr auto kGuardPatience = std::chrono::seconds(2);
constexpr auto kGuardRetry = std::chrono::milliseconds(1);
constexpr const char* kGuardSuffix = ".guard";

bool KeptAsIs(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// Any name becomes a file name without "/" or "."; "." then separates the
// kind, the name and the guard suffix without ambiguity.
std::string EncodeName(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : name) {
        if (KeptAsIs(c)) {
            encoded += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> DecodeName(const std::string& encoded) {
    std::string name;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (KeptAsIs(encoded[i])) {
            name += encoded[i];
            continue;
        }
        if (encoded[i] != '%' || i + 2 >= encoded.size()) return std::nullopt;
        const int high = HexDigit(encoded[i + 1]);
        const int low = HexDigit(encoded[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return name;
}

std::string ObjectPath(const std::string& kind, const std::string& name) {
    return SystemPaths::RuntimeDir() + "/" + kind + "." + EncodeName(name);
}

bool TryFlock(int fd, int operation) {
    return RetryOnEintr([&] { return ::flock(fd, operation | LOCK_NB); }) == 0;
}

UniqueFd OpenObjectFile(const std::string& path, bool mayCreate) {
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (mayCreate ? O_CREAT : 0);
    return UniqueFd(RetryOnEintr([&] { return ::open(path.c_str(), flags, 0600); }));
}

// The guard of the object, locked; an error when it cannot be had in time
// or, without `mayCreate`, when it does not exist (then neither does the
// object).
SysResult<UniqueFd> LockGuard(const std::string& objectPath, bool mayCreate) {
    const std::string path = objectPath + kGuardSuffix;
    UniqueFd guard = OpenObjectFile(path, mayCreate);
    if (!guard.Valid()) return LastSysError("open", path);
    const auto giveUp = std::chrono::steady_clock::now() + kGuardPatience;
    while (!TryFlock(guard.Get(), LOCK_EX)) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) return LastSysError("flock", path);
        std::this_thread::sleep_for(kGuardRetry);
    }
    return guard;
}

SysError NotHeld(const std::string& path) {
    return {"open", path, std::make_error_code(std::errc::no_such_file_or_directory)};
}

}  // namespace

SysResult<NamedObjectHandle> AttachNamedObject(const std::string& kind, const std::string& name, bool mayCreate,
                                               const NamedObjectSetUp& setUp) {
    const std::string path = ObjectPath(kind, name);
    const auto guard = LockGuard(path, mayCreate);
    if (!guard) return guard.Error();
    UniqueFd file = OpenObjectFile(path, mayCreate);
    if (!file.Valid()) return LastSysError("open", path);
    // Holders keep shared locks only, so an exclusive one is granted exactly
    // when nobody alive holds the object.
    const bool first = TryFlock(file.Get(), LOCK_EX);
    if (first && !mayCreate) return NotHeld(path);
    errno = 0;
    if (!setUp(file.Get(), first)) return LastSysError("set up", path);
    // flock converts by dropping and retaking; the guard keeps everyone else
    // out of that gap.
    if (!TryFlock(file.Get(), LOCK_SH)) return LastSysError("flock", path);
    return NamedObjectHandle{std::move(file), first};
}

std::vector<std::string> ListNamedObjects(const std::string& kind, const std::string& prefix) {
    const std::string start = kind + "." + EncodeName(prefix);
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator entry(SystemPaths::RuntimeDir(), ec);
    for (; !ec && entry != std::filesystem::directory_iterator(); entry.increment(ec)) {
        const std::string file = entry->path().filename().string();
        if (file.compare(0, start.size(), start) != 0) continue;
        const std::string encoded = file.substr(kind.size() + 1);
        if (encoded.find('.') != std::string::npos) continue;  // a guard
        if (auto name = DecodeName(encoded)) names.push_back(*name);
    }
    return names;
}

void RemoveAbandonedNamedObject(const std::string& kind, const std::string& name) {
    const std::string path = ObjectPath(kind, name);
    const auto guard = LockGuard(path, false);
    if (!guard) return;
    const UniqueFd file(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (file.Valid() && !TryFlock(file.Get(), LOCK_EX)) return;
    ::unlink(path.c_str());
    // Safe while we hold it: a later open without creation finds no guard and
    // therefore no object.
    ::unlink((path + kGuardSuffix).c_str());
}

}  // namespace kt::platform
