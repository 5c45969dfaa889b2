// What the module asks of the system: its folders, whether a network is up,
// and what a failed call tells.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/atomic_file.h"
#include "platform/network_state.h"
#include "platform/system_paths.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using SystemTest = PlatformTest;

// A variable set to nothing counts as unset: it never names a folder.
TEST_F(SystemTest, AnEmptyVariableGivesTheDefault) {
    const std::tuple<const char*, std::function<std::string()>, std::string> cases[] = {
        {"KT_WINDOWS_DIR", SystemPaths::WindowsDir, "/etc/talvo"},
        {"KT_RUNTIME_DIR", SystemPaths::RuntimeDir, (tree / "xdg/ktupdate").string()},
        {"XDG_RUNTIME_DIR", SystemPaths::RuntimeDir, "/tmp/ktupdate-" + std::to_string(getuid())},
    };
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = xdg ? xdg : "";
    setenv("XDG_RUNTIME_DIR", tree.MakeDir("xdg").c_str(), 1);
    for (const auto& [variable, folder, fallback] : cases) {
        setenv(variable, "", 1);
        EXPECT_EQ(folder(), fallback) << variable;
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

// The call, the object and the errno; the temporary made beside the target is gone.
TEST_F(SystemTest, AFailedCallNamesTheCallTheObjectAndTheSystemText) {
    const std::string folder = tree.MakeDir("folder").string();
    const auto replaced = ReplaceFileAtomically(folder, "x");
    ASSERT_FALSE(replaced);
    EXPECT_EQ(replaced.Error().code, std::error_code(EISDIR, std::generic_category()));
    EXPECT_EQ(replaced.Error().Describe(), "rename " + folder + " : " + std::strerror(EISDIR));
    for (const auto& entry : std::filesystem::directory_iterator(tree.Root())) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary left behind";
    }
}

}  // namespace
}  // namespace kt::test
