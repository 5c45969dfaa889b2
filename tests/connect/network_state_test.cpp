#include "platform/network_state.h"

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace kt::platform {
namespace {

class NetworkStateTest : public ::testing::Test {
protected:
    void Interface(const std::string& name, const std::string& flags) const {
        tree.WriteFile("sys/class/net/" + name + "/flags", flags + "\n");
    }
    void Routes(const std::string& ipv4, const std::string& ipv6 = "") const {
        tree.WriteFile("proc/net/route",
                       "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" + ipv4);
        tree.WriteFile("proc/net/ipv6_route", ipv6);
    }
    bool Connected() const { return IsNetworkConnectedIn(tree / "proc", tree / "sys"); }

    test::TempTree tree;
};

TEST_F(NetworkStateTest, ARouteThroughAnInterfaceThatIsUp) {
    Interface("lo", "0x9");
    Interface("eth0", "0x1003");
    Routes("eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_TRUE(Connected());
}

TEST_F(NetworkStateTest, LoopbackDownInterfacesAndDeadRoutesDoNotCount) {
    Interface("lo", "0x9");
    Interface("eth0", "0x1002");
    Interface("wlan0", "0x1003");
    Routes("lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
           "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
           "wlan0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_FALSE(Connected());

    Routes("", "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
               "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n");
    EXPECT_FALSE(Connected());
    Routes("", "fd000000000000000000000000000000 40 00000000000000000000000000000000 00 "
               "00000000000000000000000000000000 00000100 00000001 00000000 00000001    wlan0\n");
    EXPECT_TRUE(Connected());
}

TEST_F(NetworkStateTest, NothingReadableMeansNotConnected) { EXPECT_FALSE(Connected()); }

}  // namespace
}  // namespace kt::platform
