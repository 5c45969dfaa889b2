#include "platform/network_state.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace kt::platform {
namespace {

TEST(NetworkState, ARouteThroughAnInterfaceThatIsUpOtherThanLoopback) {
    test::TempTree tree;
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

}  // namespace
}  // namespace kt::platform
