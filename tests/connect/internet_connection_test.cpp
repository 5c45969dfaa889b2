// The connection check of a workstation on a network, and the addresses it takes.
#include <functional>

#include "connect/url_parts.h"
#include "connect_fixture.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

using connect::ScriptedFirewall;

std::string ClosedPort() { return "127.0.0.1:" + std::to_string(UnusedLoopbackPort()); }

class InternetConnectionTest : public CheckTest {
protected:
    bool ServerContacted() const { return ftp.Log().find("FTP session opened") != std::string::npos; }

    UpdateServer ftp{{.generate = false}};
};

TEST_F(InternetConnectionTest, PassesOverWhatIsNotAnAddressOrDoesNotAnswer) {
    SetUpdate("Modem", "a");  // a modem setting that is no number means the network
    const std::string server = ftp.Url("/maj/");
    std::string found = "unchanged";
    EXPECT_EQ(Check({"pas une adresse", "ftp://" + ClosedPort() + "/maj/", server}, &found), 1);
    EXPECT_EQ(found, server);
    EXPECT_EQ(Journal(), (Strings{"MJ_MAIN_IIC : Démarrage IIC.", "MJ_MAIN_IIC : Connexion avec un LAN.", "MJ_MAIN_IIC : Session créé.",
                                  "MJ_MAIN_IIC_8 : Problème dans le URL (Ni FTP, ni HTTP) !", "MJ_MAIN_IIC_9 : Problème de la connexion FTP !",
                                  "MJ_MAIN_IIC : Session ferméé.", "MJ_MAIN_IIC : Un URL FTP est trouvé."}));
    EXPECT_NE(ftp.Log().find("USER 'anonymous' logged in."), std::string::npos);
    // The host program is let through already: no rule.
    EXPECT_EQ(std::pair(firewall->Asked(), firewall->Rules()), std::pair(Strings{ctx.appDir + "Talvo.exe"}, Strings{}));

    // An FTP server is no HTTP server; nothing listens on the second; no address at all.
    for (const std::list<std::string>& urls : {std::list<std::string>{"http://127.0.0.1:" + std::to_string(ftp.Port()) + "/",
                                                                      "HTTP://127.0.0.1/maj/"}, {}}) {
        EXPECT_EQ(Check(urls, &found), 0);
        EXPECT_EQ(std::pair(found, Journal().back()), std::pair(server, std::string("MJ_MAIN_IIC_11 : Problème de URL !")));
    }
    EXPECT_EQ(std::ranges::count(Journal(), std::string("MJ_MAIN_IIC_10 : Problème de la connexion HTTP !")), 2);
}

TEST_F(InternetConnectionTest, WhatStopsTheCheckBeforeAnyAddress) {
    const auto appId = [this](const char* update) {
        return [this, update] { WriteAppId(std::string("<?xml version=\"1.0\"?>\n<Workstation>") + update + "</Workstation>\n"); };
    };
    const struct {
        std::function<void()> set;
        const char* log;
        const char* journal;
        std::size_t firewallAsked;
    } cases[] = {
        {[this] { networkUp = false; }, "ERROR Error with LAN connexion", "MJ_MAIN_IIC_4 : Problème dans la connexion LAN !", 0},
        // A program still blocked after its rule; the firewall has no journal line of its own.
        {[this] { firewall = std::make_shared<ScriptedFirewall>(std::deque<bool>{false}); }, "ERROR Something is still blocking Talvo",
         "MJ_MAIN_IIC : Connexion avec un LAN.", 2},
        {[this] { SetUpdate("Modem", "1"), SetUpdate("RASName", ""); }, "ERROR Invalid RAS", "MJ_MAIN_IIC_2 : Nom de la connexion RAS invalide !", 0},
        {appId(""), "ERROR Wrong Modem in appid.xml. Modem = ", "MJ_MAIN_IIC_0 : Problème avec GetNodeData.", 0},
        {appId("<Update Modem=\"0\"/>"), "ERROR Wrong Proxy/Active in appid.xml. Active = ", "MJ_MAIN_IIC_5 : Problème dans GetNodeData.", 1},
        {appId("<Update Modem=\"0\"><Proxy Active=\"1\" UseIE=\"0\"/></Update>"), "ERROR Wrong Proxy/Address in appid.xml. Address = ",
         "MJ_MAIN_IIC_6 : Problème dans GetNodeData.", 1},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.journal);
        networkUp = true;
        firewall = std::make_shared<ScriptedFirewall>(std::deque<bool>{true});
        each.set();
        connection.reset();
        EXPECT_EQ(Check({ftp.Url()}), 0);
        EXPECT_TRUE(Logged(each.log));
        EXPECT_EQ(std::pair(Journal().back(), firewall->Asked().size()), std::pair(std::string(each.journal), each.firewallAsked));
    }
    EXPECT_EQ(CountLogged("INFO Internet session created : direct"), 0);
    EXPECT_FALSE(ServerContacted());
}

TEST_F(InternetConnectionTest, SystemSettingsFollowTheEnvironmentAndDirectIgnoresIt) {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* name : {"all_proxy", "ftp_proxy", "no_proxy"}) {
        saved.emplace_back(name, std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
        setenv(name, name[0] == 'n' ? "" : ("http://" + ClosedPort()).c_str(), 1);
    }
    for (const bool system : {true, false}) {
        SetProxy("UseIE", system ? "1" : "0");
        EXPECT_EQ(Check({ftp.Url()}), system ? 0 : 1);
        EXPECT_EQ(ServerContacted(), !system);
    }
    EXPECT_TRUE(Logged("INFO Internet session created : use IE"));
    for (const auto& [name, value] : saved) value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

TEST(SplitUrlTest, ServersPortsAndObjects) {
    using connect::UrlService;
    using Parts = std::tuple<UrlService, bool, std::string, int, std::string>;
    for (const auto& [address, want] : std::vector<std::pair<const char*, Parts>>{
             {"ftp://maj.talvo.fr/maj/5.2/", {UrlService::kFtp, false, "maj.talvo.fr", 21, "/maj/5.2/"}},
             {"FTP://user:pw@127.0.0.1:2121", {UrlService::kFtp, false, "127.0.0.1", 2121, "/"}},
             {"ftps://maj.talvo.fr/maj/", {UrlService::kFtp, true, "maj.talvo.fr", 21, "/maj/"}},
             {"http://[::1]:8080/x", {UrlService::kHttp, false, "::1", 8080, "/x"}},
             {"HTTPS://maj.talvo.fr/", {UrlService::kHttp, true, "maj.talvo.fr", 443, "/"}},
             {"sftp://maj.talvo.fr/", {UrlService::kOther, false, "maj.talvo.fr", 0, "/"}}}) {
        const auto parts = connect::SplitUrl(address);
        ASSERT_TRUE(parts) << address;
        EXPECT_EQ(Parts(parts->service, parts->secure, parts->server, parts->port, parts->object), want) << address;
    }
    for (const char* address : {"", "maj.talvo.fr/maj", "ftp:/maj.talvo.fr", "ftp://", "ftp:///maj", "ftp://host:", "ftp://host:0/",
                                "ftp://host:65536/", "ftp://host:21x/", "ftp://[::1/", "ftp://ma j/", "1ftp://host/"}) {
        EXPECT_FALSE(connect::SplitUrl(address)) << address;
    }
    // The root keeps the security of the address: a secure server is never reached again in clear.
    for (const auto& [address, root] : {std::pair{"ftps://h/maj/", "ftps://h:21"}, {"https://[::1]/maj/", "https://[::1]:443"},
                                        {"http://h:8080/", "http://h:8080"}})
        EXPECT_EQ(connect::ServerRoot(*connect::SplitUrl(address)), root);
}

}  // namespace
}  // namespace kt::test
