// The connection check of a workstation on a network, against a real FTP
// server and a real HTTP proxy on loopback, and its firewall step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include "connect/check_firewall.h"
#include "connect_fixture.h"
#include "support/update_server.h"
#include "support/http_proxy.h"

namespace kt::test {
namespace {

std::string ClosedPort() { return "127.0.0.1:" + std::to_string(UnusedLoopbackPort()); }

class InternetConnectionTest : public CheckTest {
protected:
    bool ServerContacted() const { return ftp.Log().find("FTP session opened") != std::string::npos; }

    UpdateServer ftp{{.generate = false}};
};

TEST_F(InternetConnectionTest, SkipsWhatIsNotAnAddressAndFindsTheFtpServer) {
    const std::string server = ftp.Url("/maj/");
    std::string found = "unchanged";
    EXPECT_EQ(Check({"pas une adresse", server}, &found), 1);
    EXPECT_EQ(found, server);
    EXPECT_TRUE(Logged("WARNING Problem with url pas une adresse : no HTTP or FTP"));
    EXPECT_TRUE(Logged("INFO Test url : " + server));
    EXPECT_TRUE(Logged("INFO Check internet connexion : OK"));
    EXPECT_EQ(Journal(), (Strings{"MJ_MAIN_IIC : Démarrage IIC.", "MJ_MAIN_IIC : Connexion avec un LAN.",
                                  "MJ_MAIN_IIC : Session créé.", "MJ_MAIN_IIC_8 : Problème dans le URL (Ni FTP, ni HTTP) !",
                                  "MJ_MAIN_IIC : Session ferméé.", "MJ_MAIN_IIC : Un URL FTP est trouvé."}));
    // An anonymous login, and no file or listing fetched.
    const std::string log = ftp.Log();
    EXPECT_NE(log.find("USER 'anonymous' logged in."), std::string::npos);
    EXPECT_EQ(log.find("RETR"), std::string::npos);
    EXPECT_EQ(log.find("LIST"), std::string::npos);
    // The host program is let through already: no rule.
    EXPECT_EQ(firewall->Asked(), Strings{ctx.appDir + "Talvo.exe"});
    EXPECT_TRUE(firewall->Rules().empty());
    EXPECT_TRUE(Logged("INFO Windows firewall is not blocking Talvo"));
}

TEST_F(InternetConnectionTest, AServerThatDoesNotAnswerIsPassedOver) {
    // A modem setting that is no number means the network.
    SetUpdate("Modem", "a");
    EXPECT_EQ(Check({"ftp://" + ClosedPort() + "/maj/", ftp.Url()}), 1);
    EXPECT_TRUE(Logged("INFO Connexion with LAN"));
    // libcurl's number for a refused connection.
    EXPECT_TRUE(Logged("WARNING FTP connexion problem : exception catched 7"));
    EXPECT_EQ(Count(Journal(), "MJ_MAIN_IIC_9 : Problème de la connexion FTP !"), 1);
}

TEST_F(InternetConnectionTest, NoAddressThatAnswersIsAFailure) {
    EXPECT_EQ(Check({}), 0);
    EXPECT_TRUE(Logged("INFO Internet session created : direct"));
    EXPECT_TRUE(Logged("WARNING Check internet connexion : error. Problem with url "));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_11 : Problème de URL !");

    std::string found = "unchanged";
    EXPECT_EQ(Check({"http://127.0.0.1:" + std::to_string(ftp.Port()) + "/", "HTTP://127.0.0.1/maj/"}, &found), 0);
    EXPECT_EQ(found, "unchanged");
    // An FTP server is no HTTP server; nothing listens on the second.
    EXPECT_EQ(Count(Journal(), "MJ_MAIN_IIC_10 : Problème de la connexion HTTP !"), 2);
    EXPECT_TRUE(Logged("WARNING HTTP connexion problem : exception catched 7"));
}

TEST_F(InternetConnectionTest, WhatStopsTheCheckBeforeAnyAddress) {
    const auto appId = [this](const char* update) {
        return [this, update] {
            tree.WriteFile("app/appid.xml", std::string("<?xml version=\"1.0\"?>\n<Workstation>") + update + "</Workstation>\n");
        };
    };
    const struct {
        std::function<void()> set;
        const char* log;
        const char* journal;
        std::size_t firewallAsked;
    } cases[] = {
        {[this] { networkUp = false; }, "ERROR Error with LAN connexion", "MJ_MAIN_IIC_4 : Problème dans la connexion LAN !", 0},
        // The firewall has no journal line of its own.
        {[this] { firewall = std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{false}); },
         "ERROR Error with windows firewall", "MJ_MAIN_IIC : Connexion avec un LAN.", 2},
        {appId(""), "ERROR Wrong Modem in appid.xml. Modem = ", "MJ_MAIN_IIC_0 : Problème avec GetNodeData.", 0},
        {appId("<Update Modem=\"0\"/>"), "ERROR Wrong Proxy/Active in appid.xml. Active = ",
         "MJ_MAIN_IIC_5 : Problème dans GetNodeData.", 1},
        {appId("<Update Modem=\"0\"><Proxy Active=\"1\" UseIE=\"0\"/></Update>"),
         "ERROR Wrong Proxy/Address in appid.xml. Address = ", "MJ_MAIN_IIC_6 : Problème dans GetNodeData.", 1},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.journal);
        networkUp = true;
        firewall = std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{true});
        each.set();
        connection.reset();
        EXPECT_EQ(Check({ftp.Url()}), 0);
        EXPECT_TRUE(Logged(each.log));
        EXPECT_EQ(Journal().back(), each.journal);
        EXPECT_EQ(firewall->Asked().size(), each.firewallAsked);
    }
    for (const std::string& line : Log()) {
        EXPECT_EQ(line.find("Internet session created"), std::string::npos) << line;
        EXPECT_EQ(line.find("Test url"), std::string::npos) << line;
    }
    EXPECT_FALSE(ServerContacted());
}

TEST_F(InternetConnectionTest, ANamedProxyCarriesTheConnection) {
    HttpProxy::Options options;
    options.forwardFtp = true;
    HttpProxy proxy(options);
    SetProxy("Active", "1");
    SetProxy("Address", proxy.Address());
    EXPECT_EQ(Check({ftp.Url("/maj/")}), 1);
    EXPECT_TRUE(Logged("INFO Internet session created : proxy"));
    EXPECT_EQ(Count(Journal(), "MJ_MAIN_IIC : Session créé."), 0);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].url, ftp.Url());
    EXPECT_TRUE(ServerContacted());

    // A proxy asking for a login gets the configured one; with a wrong one the server is out of reach.
    options.proxyAuth = "cabinet:s3cret";
    HttpProxy guarded(options);
    SetProxy("Address", guarded.Address());
    SetProxy("Login", "cabinet");
    for (const auto& [password, found] : std::vector<std::pair<std::string, int>>{{"s3cret", 1}, {"wrong", 0}}) {
        SetProxy("Pass", password);
        EXPECT_EQ(Check({ftp.Url("/maj/")}), found) << password;
        EXPECT_EQ(guarded.Requests().back().proxyUser, "cabinet") << password;
    }

    // The same server behind a proxy that does not answer is out of reach.
    SetProxy("Address", ClosedPort());
    EXPECT_EQ(Check({ftp.Url("/maj/")}), 0);
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_11 : Problème de URL !");
    // The wrong login, then the closed port.
    EXPECT_EQ(Count(Journal(), "MJ_MAIN_IIC_9 : Problème de la connexion FTP !"), 2);
}

TEST_F(InternetConnectionTest, SystemSettingsFollowTheEnvironmentAndDirectIgnoresIt) {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* name : {"all_proxy", "ftp_proxy", "no_proxy"}) {
        saved.emplace_back(name, std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
        setenv(name, name[0] == 'n' ? "" : ("http://" + ClosedPort()).c_str(), 1);
    }
    SetProxy("UseIE", "1");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("INFO Internet session created : use IE"));
    EXPECT_FALSE(ServerContacted());

    SetProxy("UseIE", "0");
    EXPECT_EQ(Check({ftp.Url()}), 1);
    EXPECT_TRUE(ServerContacted());
    for (const auto& [name, value] : saved) value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

using CheckFirewallTest = ConnectTest;
using connect::ScriptedFirewall;

TEST_F(CheckFirewallTest, ARuleIsAddedForABlockedProgram) {
    ScriptedFirewall firewall({false, true});
    EXPECT_TRUE(connect::CheckFirewall(ctx, firewall));
    EXPECT_EQ(firewall.Rules(), Strings{ctx.appDir + "Talvo.exe|Talvo - Module principal"});
    EXPECT_EQ(Log(), (Strings{"WARNING No rule exists for Talvo in windows firewall : create a new one",
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
