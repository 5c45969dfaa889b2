// What the module asks of the system: its folders, whether a network is up,
// and the errors of failed system calls, which say which call, on what, and
// the errno it gave.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/atomic_file.h"
#include "platform/named_object.h"
#include "platform/network_state.h"
#include "platform/system_paths.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using SystemTest = PlatformTest;

// A variable set to nothing counts as unset: it never names a folder.
TEST_F(SystemTest, AnEmptyVariableGivesTheDefault) {
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

TEST_F(SystemTest, ARouteThroughAnInterfaceThatIsUpOtherThanLoopback) {
    const auto connected = [&] { return IsNetworkConnectedIn(tree / "proc", tree / "sys"); };
    const auto routes = [&](const std::string& ipv4, const std::string& ipv6) {
        tree.WriteFile("proc/net/route", "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" + ipv4);
        tree.WriteFile("proc/net/ipv6_route", ipv6);
    };
    EXPECT_FALSE(connected()) << "nothing readable";
    tree.WriteFile("sys/class/net/lo/flags", "0x9\n");
    tree.WriteFile("sys/class/net/eth0/flags", "0x1002\n");
    tree.WriteFile("sys/class/net/wlan0/flags", "0x1003\n");
    // Loopback, an interface down and a route not up do not count.
    routes("lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
           "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
           "wlan0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n",
           "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
           "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n");
    EXPECT_FALSE(connected());
    routes("wlan0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n", "");
    EXPECT_TRUE(connected());
    routes("", "fd000000000000000000000000000000 40 00000000000000000000000000000000 00 "
               "00000000000000000000000000000000 00000100 00000001 00000000 00000001    wlan0\n");
    EXPECT_TRUE(connected());
}

template <typename Result>
SysError ErrorOf(const Result& result) {
    EXPECT_FALSE(result);
    return result ? SysError{} : result.Error();
}

TEST_F(SystemTest, AFailedCallNamesTheCallTheObjectAndTheSystemText) {
    const std::string missing = (tree / "missing/state.xml").string(), folder = tree.MakeDir("folder").string();
    const std::tuple<std::function<SysError()>, const char*, std::string, int> cases[] = {
        {[&] { return ErrorOf(ReplaceFileAtomically(missing, "x")); }, "open", (tree / "missing/.state.xml.").string(), ENOENT},
        {[&] { return ErrorOf(ReplaceFileAtomically(folder, "x")); }, "rename", folder, EISDIR},
        {[&] { return ErrorOf(AttachNamedObject("test", "nobody", false, [](int, bool) { return true; })); }, "open", "", ENOENT},
    };
    for (const auto& [fail, call, objectStart, code] : cases) {
        SCOPED_TRACE(call);
        const SysError error = fail();
        EXPECT_EQ(error.call, call);
        EXPECT_EQ(error.object.rfind(objectStart, 0), 0u) << error.object;
        EXPECT_EQ(error.code, std::error_code(code, std::generic_category()));
        EXPECT_EQ(error.Describe(), error.call + " " + error.object + " : " + std::strerror(code));
    }
    for (const auto& entry : std::filesystem::directory_iterator(tree.Root())) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary left behind";
    }
}

}  // namespace
}  // namespace kt::test
