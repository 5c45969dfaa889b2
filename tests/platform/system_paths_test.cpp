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
        {"KT_RUNTIME_DIR", SystemPaths::RuntimeDir, (tree / "xdg/ktupdate").string()},
        {"XDG_RUNTIME_DIR", SystemPaths::RuntimeDir, "/tmp/ktupdate-" + std::to_string(getuid())},
    };
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = xdg ? xdg : "";
    setenv("XDG_RUNTIME_DIR", tree.MakeDir("xdg").c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variable);
        setenv(c.variable, "", 1);
        EXPECT_EQ(c.folder(), c.fallback);
    }
    if (xdg) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace kt::test
