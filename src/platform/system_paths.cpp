#include "platform/system_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
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

std::string SystemPaths::RuntimeDir() {
    std::string dir = FromEnvironment("KT_RUNTIME_DIR", RuntimeDefault());
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::string SystemPaths::TempDir() { return FromEnvironment("TMPDIR", "/tmp"); }

}  // namespace kt::platform
