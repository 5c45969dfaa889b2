#include <gtest/gtest.h>

#include "check_fixture.h"
#include "support/ftp_server.h"
#include "support/http_proxy.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

using Strings = std::vector<std::string>;

class InternetConnectionTest : public CheckTest {
protected:
    std::string ClosedFtp() const { return "ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/"; }
    bool ServerContacted() const { return ftp.Log().find("FTP session opened") != std::string::npos; }

    FtpServer ftp;
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
                                  "MJ_MAIN_IIC : Session créé.",
                                  "MJ_MAIN_IIC_8 : Problème dans le URL (Ni FTP, ni HTTP) !",
                                  "MJ_MAIN_IIC : Session ferméé.", "MJ_MAIN_IIC : Un URL FTP est trouvé."}));
    // An anonymous login, and no file or listing fetched.
    const std::string log = ftp.Log();
    EXPECT_NE(log.find("USER 'anonymous' logged in."), std::string::npos);
    EXPECT_EQ(log.find("RETR"), std::string::npos);
    EXPECT_EQ(log.find("LIST"), std::string::npos);
    // The firewall was asked about the host program.
    EXPECT_EQ(firewall->Asked(), (Strings{ctx.appDir + "Talvo.exe"}));
}

TEST_F(InternetConnectionTest, AServerThatDoesNotAnswerIsPassedOver) {
    const std::string closed = ClosedFtp();
    std::string found;
    EXPECT_EQ(Check({closed, ftp.Url()}, &found), 1);
    EXPECT_EQ(found, ftp.Url());
    // libcurl's number for a refused connection.
    EXPECT_TRUE(Logged("WARNING FTP connexion problem : exception catched 7"));
    EXPECT_TRUE(Journaled("MJ_MAIN_IIC_9 : Problème de la connexion FTP !"));
}

TEST_F(InternetConnectionTest, NoAddressThatAnswersIsAFailure) {
    EXPECT_EQ(Check({}), 0);
    EXPECT_TRUE(Logged("INFO Internet session created : direct"));
    EXPECT_TRUE(Logged("WARNING Check internet connexion : error. Problem with url "));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_11 : Problème de URL !");

    const std::string http = "http://127.0.0.1:" + std::to_string(ftp.Port()) + "/";
    std::string found = "unchanged";
    EXPECT_EQ(Check({http, "HTTP://127.0.0.1/maj/"}, &found), 0);
    EXPECT_EQ(found, "unchanged");
    const Strings log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "INFO HTTP URL are disabled"), 2);
    EXPECT_FALSE(ServerContacted());

    EXPECT_EQ(Check({"https://127.0.0.1/", "ftp://", "ftp://127.0.0.1:99999/"}), 0);
    const Strings journal = Journal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "MJ_MAIN_IIC_8 : Problème dans le URL (Ni FTP, ni HTTP) !"), 3);
}

TEST_F(InternetConnectionTest, WithoutABufferTheAnswerIsStillGiven) {
    EXPECT_EQ(Check({ftp.Url()}, nullptr), 1);
}

TEST_F(InternetConnectionTest, AModemSettingThatIsNoNumberMeansTheNetwork) {
    SetUpdate("Modem", "a");
    EXPECT_EQ(Check({ftp.Url()}), 1);
    EXPECT_TRUE(Logged("INFO Connexion with LAN"));
    EXPECT_TRUE(dialer->Dials().empty());
}

TEST_F(InternetConnectionTest, NoNetworkStopsBeforeAnyAddress) {
    networkUp = false;
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("ERROR Error with LAN connexion"));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_4 : Problème dans la connexion LAN !");
    EXPECT_TRUE(firewall->Asked().empty());
    EXPECT_FALSE(ServerContacted());
}

TEST_F(InternetConnectionTest, AFirewallThatStillBlocksStopsTheCheckWithoutJournal) {
    firewall = std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{false});
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("ERROR Error with windows firewall"));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC : Connexion avec un LAN.");
    EXPECT_FALSE(ServerContacted());
}

TEST_F(InternetConnectionTest, UnreadableSettingsEndTheCheck) {
    tree.WriteFile("app/appid.xml", "<?xml version=\"1.0\"?>\n<Workstation><Version>5.2.0</Version></Workstation>\n");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("ERROR Wrong Modem in appid.xml. Modem = "));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_0 : Problème avec GetNodeData.");

    tree.WriteFile("app/appid.xml", "<?xml version=\"1.0\"?>\n<Workstation><Update Modem=\"0\"/></Workstation>\n");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("ERROR Wrong Proxy/Active in appid.xml. Active = "));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_5 : Problème dans GetNodeData.");
    EXPECT_FALSE(ServerContacted());
}

TEST_F(InternetConnectionTest, ANamedProxyWithoutAddressTriesNothing) {
    tree.WriteFile("app/appid.xml",
                   "<?xml version=\"1.0\"?>\n<Workstation><Update Modem=\"0\"><Proxy Active=\"1\" UseIE=\"0\"/>"
                   "</Update></Workstation>\n");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("ERROR Wrong Proxy/Address in appid.xml. Address = "));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_6 : Problème dans GetNodeData.");
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
    SetProxy("Address", proxy.Address().c_str());
    EXPECT_EQ(Check({ftp.Url("/maj/")}), 1);
    EXPECT_TRUE(Logged("INFO Internet session created : proxy"));
    EXPECT_FALSE(Journaled("MJ_MAIN_IIC : Session créé."));
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].url, "ftp://127.0.0.1:" + std::to_string(ftp.Port()) + "/");
    EXPECT_TRUE(ServerContacted());

    // The same server behind a proxy that does not answer is out of reach.
    SetProxy("Address", ("127.0.0.1:" + std::to_string(UnusedLoopbackPort())).c_str());
    EXPECT_EQ(Check({ftp.Url("/maj/")}), 0);
    EXPECT_TRUE(Journaled("MJ_MAIN_IIC_9 : Problème de la connexion FTP !"));
}

TEST_F(InternetConnectionTest, SystemSettingsFollowTheEnvironmentAndDirectIgnoresIt) {
    const ScopedEnv proxy("all_proxy", "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    const ScopedEnv ftpProxy("ftp_proxy", "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    const ScopedEnv noProxy("no_proxy", "");
    SetProxy("UseIE", "1");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("INFO Internet session created : use IE"));
    EXPECT_FALSE(ServerContacted());

    SetProxy("UseIE", "0");
    EXPECT_EQ(Check({ftp.Url()}), 1);
    EXPECT_TRUE(ServerContacted());
}

}  // namespace
}  // namespace kt::test
