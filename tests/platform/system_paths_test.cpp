#include "platform/system_paths.h"

#include <unistd.h>

#include <functional>

#include "platform_fixture.h"

namespace kt::test {
namespace {

using platform::SystemPaths;
using SystemPathsTest = PlatformTest;

// A variable set to nothing counts as unset: it never names a folder.
TEST_F(SystemPathsTest, AnEmptyVariableGivesTheDefault) {
    const struct {
        const char* variable;
        std::function<std::string()> folder;
        std::string fallback;
    } cases[] = {
        {"KT_WINDOWS_DIR", SystemPaths::WindowsDir, "/etc/talvo"},
        {"KT_PROGRAM_FILES", SystemPaths::ProgramFiles, "/opt"},
        {"KT_REGISTRY_DIR", SystemPaths::RegistryDir, "/var/lib/talvo/registry"},
        {"KT_COMMON_APPDATA", SystemPaths::CommonAppData, "/var/lib"},
        {"TMPDIR", SystemPaths::TempDir, "/tmp"},
        {"KT_RUNTIME_DIR", SystemPaths::RuntimeDir, (tree / "xdg/ktupdate").string()},
        {"XDG_RUNTIME_DIR", SystemPaths::RuntimeDir, "/tmp/ktupdate-" + std::to_string(getuid())},
    };
    const char* tmp = std::getenv("TMPDIR");
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedTmp = tmp ? tmp : "", savedXdg = xdg ? xdg : "";
    setenv("XDG_RUNTIME_DIR", tree.MakeDir("xdg").c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable);
        setenv(c.variable, "", 1);
        EXPECT_EQ(c.folder(), c.fallback);
    }
    for (const auto& [name, value] : {std::pair{"TMPDIR", savedTmp}, std::pair{"XDG_RUNTIME_DIR", savedXdg}}) {
        if (value.empty()) unsetenv(name);
        else setenv(name, value.c_str(), 1);
    }
}

}  // namespace
}  // namespace kt::test
