#include "platform/system_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace kt::platform {
namespace {

std::string FromEnvironment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
    return fallback;
}

std::string RuntimeDefault() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && *xdg != '\0') return std::string(xdg) + "/ktupdate";
    return "/tmp/ktupdate-" + std::to_string(getuid());
}

}  // namespace

std::string SystemPaths::WindowsDir() { return FromEnvironment("KT_WINDOWS_DIR", "/etc/talvo"); }

std::string SystemPaths::ProgramFiles() { return FromEnvironment("KT_PROGRAM_FILES", "/opt"); }

std::string SystemPaths::CommonAppData() {
    std::string dir = FromEnvironment("KT_COMMON_APPDATA", "/var/lib");
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::string();
}

std::string SystemPaths::RegistryDir() {
    return FromEnvironment("KT_REGISTRY_DIR", "/var/lib/talvo/registry");
}

namespace {

// The named objects of a user must not live in a folder someone else made:
// another local user could otherwise see, fake or block them.
bool IsPrivateFolder(const std::string& dir) {
    struct stat info {};
    return lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string SystemPaths::RuntimeDir() {
    const char* chosen = std::getenv("KT_RUNTIME_DIR");
    if (chosen != nullptr && *chosen != '\0') {
        std::error_code ec;
        std::filesystem::create_directories(chosen, ec);
        return chosen;
    }
    std::string dir = RuntimeDefault();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir).parent_path(), ec);
    mkdir(dir.c_str(), 0700);
    if (IsPrivateFolder(dir)) return dir;
    // Taken by someone else: every process of this user falls back to the
    // same folder in the home folder, so they still see each other's objects.
    const char* home = std::getenv("HOME");
    std::string own = std::string(home != nullptr ? home : "") + "/.ktupdate-run";
    mkdir(own.c_str(), 0700);
    return own;
}

std::string SystemPaths::TempDir() { return FromEnvironment("TMPDIR", "/tmp"); }

}  // namespace kt::platform
