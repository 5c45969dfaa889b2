#include "platform/recycle_bin.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

#include "platform/sys_error.h"
#include "platform/unique_fd.h"

namespace kt::platform {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> UserTrash() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path trash;
    if (dataHome != nullptr && *dataHome == '/') trash = fs::path(dataHome) / "Trash";
    else if (home != nullptr && *home == '/') trash = fs::path(home) / ".local/share/Trash";
    else return std::nullopt;
    std::error_code ec;
    if (!fs::is_directory(trash, ec)) return std::nullopt;
    fs::create_directory(trash / "files", ec);
    fs::create_directory(trash / "info", ec);
    if (!fs::is_directory(trash / "files", ec) || !fs::is_directory(trash / "info", ec)) return std::nullopt;
    return trash;
}

// The trash's path notation: bytes outside the unreserved set as %XX.
std::string EncodePath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : path) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                          c == '-' || c == '_' || c == '.' || c == '~';
        if (kept) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string InfoText(const fs::path& original) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + EncodePath(original.string()) + "\nDeletionDate=" + date + "\n";
}

// Reserves a free name in the trash by creating its info file; the name, or
// nothing when no name could be had.
std::optional<std::string> ReserveName(const fs::path& trash, const fs::path& original) {
    const std::string base = original.filename().string();
    const std::string info = InfoText(original);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string name = attempt == 1 ? base : base + "." + std::to_string(attempt);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(trash / "files" / name, ec))) continue;
        const fs::path infoPath = trash / "info" / (name + ".trashinfo");
        UniqueFd file(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file.Valid() && errno == EEXIST) continue;
        if (!file.Valid()) return std::nullopt;
        if (RetryOnEintr([&] { return ::write(file.Get(), info.data(), info.size()); }) != static_cast<ssize_t>(info.size())) {
            ::unlink(infoPath.c_str());
            return std::nullopt;
        }
        return name;
    }
    return std::nullopt;
}

bool MoveIntoTrash(const fs::path& trash, const fs::path& original) {
    const auto name = ReserveName(trash, original);
    if (!name) return false;
    if (::rename(original.c_str(), (trash / "files" / *name).c_str()) == 0) return true;
    // Another file system: the trash of this one is not handled here.
    ::unlink((trash / "info" / (*name + ".trashinfo")).c_str());
    return false;
}

}  // namespace

bool MoveToRecycleBin(const std::string& path) {
    std::error_code ec;
    fs::path original = fs::absolute(path, ec).lexically_normal();
    if (original.filename().empty()) original = original.parent_path();
    if (ec || !fs::exists(fs::symlink_status(original, ec))) return false;
    if (const auto trash = UserTrash(); trash && MoveIntoTrash(*trash, original)) return true;
    fs::remove_all(original, ec);
    return !ec;
}

}  // namespace kt::platform
