#include "connect/check_firewall.h"

#include <gtest/gtest.h>

#include "connect/default_firewall.h"
#include "connect/scripted_firewall.h"
#include "connect_fixture.h"

namespace kt::test {
namespace {

using connect::ScriptedFirewall;

class CheckFirewallTest : public ConnectTest {
protected:
    std::string Program() const { return ctx.appDir + "Talvo.exe"; }
};

TEST_F(CheckFirewallTest, AProgramAlreadyLetThroughGetsNoRule) {
    ScriptedFirewall firewall({true});
    EXPECT_TRUE(connect::CheckFirewall(ctx, firewall));
    EXPECT_EQ(firewall.Asked(), (std::vector<std::string>{Program()}));
    EXPECT_TRUE(firewall.Rules().empty());
    EXPECT_EQ(Log(), (std::vector<std::string>{"INFO Windows firewall is not blocking Talvo"}));

    connect::DefaultFirewall none;
    EXPECT_TRUE(connect::CheckFirewall(ctx, none));
}

TEST_F(CheckFirewallTest, ARuleIsAddedForABlockedProgram) {
    ScriptedFirewall firewall({false, true});
    EXPECT_TRUE(connect::CheckFirewall(ctx, firewall));
    EXPECT_EQ(firewall.Rules(), (std::vector<std::string>{Program() + "|Talvo - Module principal"}));
    EXPECT_EQ(Log(), (std::vector<std::string>{"WARNING No rule exists for Talvo in windows firewall : create a new one",
                                               "INFO New rule is added to windows firewall for Talvo"}));

    ScriptedFirewall stillBlocked({false});
    EXPECT_FALSE(connect::CheckFirewall(ctx, stillBlocked));
    EXPECT_TRUE(Logged("ERROR Something is still blocking Talvo"));
    EXPECT_EQ(stillBlocked.Asked().size(), 2u);
}

TEST_F(CheckFirewallTest, AFirewallThatCannotBeChangedDoesNotStopTheConnection) {
    ScriptedFirewall unknown({false}, static_cast<connect::FirewallResult>(0x80004005u));
    EXPECT_TRUE(connect::CheckFirewall(ctx, unknown));
    EXPECT_TRUE(Logged("ERROR Can't add a rule to windows firewall : Unknown error 0x80004005"));
    EXPECT_TRUE(Logged("WARNING Error with windows firewall (maybe firewall service is not running) : still try to connect to url"));
    EXPECT_EQ(unknown.Asked().size(), 1u);

    ScriptedFirewall described({false}, -5, {{-5, "Accès refusé."}});
    EXPECT_TRUE(connect::CheckFirewall(ctx, described));
    EXPECT_TRUE(Logged("ERROR Can't add a rule to windows firewall : Accès refusé."));
}

}  // namespace
}  // namespace kt::test
