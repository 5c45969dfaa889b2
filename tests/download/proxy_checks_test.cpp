// The proxy checks of the transfers against a real HTTP proxy of the tests
// (which answers every request itself) and a real FTP server, on loopback.
#include <fstream>
#include <functional>

#include "download/proxy_checks.h"
#include "support/update_server.h"
#include "support/http_proxy.h"
#include "support/server_process.h"
#include "support/workstation.h"

namespace kt::test {
namespace {

using download::kMaxProxyRounds;

constexpr const char* kFile = "ftp://127.0.0.1/maj/versions.xml";

class ProxyChecksTest : public ConfiguredWorkstation {
protected:
    ProxyChecksTest() { UseScript(""); }
    void StartProxy(const std::function<void(HttpProxy::Options&)>& set = {}) {
        HttpProxy::Options options;
        if (set) set(options);
        proxy = std::make_unique<HttpProxy>(options);
        session.access = platform::InternetAccess::kProxy;
        session.proxy = proxy->Address();
    }
    void ConfigureLogin(int mode = config::kConnectionProxy) {
        config.connectionMode = mode;
        config.proxyLogin = "cabinet";
        config.proxyPassword = "s3cret";
    }
    int CheckRequest(const std::string& url = kFile) {
        platform::CurlRequest request(session, url);
        return download::ProxyChecks(ctx, config).CheckProxyStatus(request);
    }
    int CheckAddress(const std::string& url = kFile) {
        return download::ProxyChecks(ctx, config).CheckProxyStatus(session, url);
    }
    int RequestsAs(const std::string& proxyUser) const {
        int count = 0;
        for (const auto& request : proxy->Requests()) count += request.proxyUser == proxyUser;
        return count;
    }
    Strings Credentials() const {
        Strings asked;
        for (const std::string& line : Transcript()) if (line.starts_with("credentials")) asked.push_back(line);
        return asked;
    }

    std::unique_ptr<HttpProxy> proxy;
    platform::InternetSession session;
    config::InternetConfig config;
};

TEST_F(ProxyChecksTest, TheConfiguredLoginIsSentOnceWhenTheProxyAsks) {
    StartProxy([](HttpProxy::Options& o) { o.proxyAuth = "cabinet:s3cret"; });
    ConfigureLogin();
    EXPECT_EQ(CheckRequest(), 1);
    EXPECT_EQ(RequestsAs("cabinet"), 1);
    EXPECT_TRUE(Logged("INFO KTDownload : Proxy request reached destination"));
    EXPECT_EQ(CheckAddress(), 1);
    EXPECT_EQ(RequestsAs("cabinet"), 2);
    EXPECT_TRUE(Credentials().empty());
}

TEST_F(ProxyChecksTest, WithoutAConfiguredLoginTheUserIsAsked) {
    StartProxy([](HttpProxy::Options& o) { o.proxyAuth = "cabinet:s3cret"; });
    // A login configured for another mode is not the proxy's.
    ConfigureLogin(config::kConnectionSystem);
    UseScript("credentials -> \"cabinet\" \"s3cret\" *");
    EXPECT_EQ(CheckRequest(), 1);
    EXPECT_EQ(CheckAddress(), 1);
    EXPECT_EQ(RequestsAs("cabinet"), 2);
    EXPECT_EQ(Credentials(), Strings(2, std::string("credentials target=\"") + kFile + "\" -> user=\"cabinet\""));

    // Cancelled: the request is abandoned, the address left to the transfer.
    UseScript("credentials -> cancel *");
    EXPECT_EQ(CheckRequest(), 0);
    EXPECT_EQ(CheckAddress(), 1);
    EXPECT_EQ(Credentials().size(), 2u);
}

TEST_F(ProxyChecksTest, AProxyThatNeverAcceptsIsGivenUp) {
    StartProxy([](HttpProxy::Options& o) { o.neverAccept = true; });
    ConfigureLogin();
    EXPECT_EQ(CheckRequest(), 0);
    EXPECT_TRUE(Logged("WARNING KTDownload : Proxy request failed"));
    EXPECT_EQ(Journal().back(), "MJ_DWL_CPS_1 : Problème: proxy - request.");
    EXPECT_EQ(CountLogged("INFO KTDownload : Proxy request reached destination"), kMaxProxyRounds);

    EXPECT_EQ(CheckAddress(), 0);
    EXPECT_EQ(Journal().back(), "MJ_DWL_CFP_1 : Problème: proxy - request.");
    EXPECT_EQ(CountLogged("INFO KTDownload : Check proxy status in progress"), kMaxProxyRounds + 1);
    // Each round sends the request once, twice when libcurl first asks
    // which login the proxy wants.
    EXPECT_LE(proxy->Requests().size(), 4u * kMaxProxyRounds);
    EXPECT_GE(RequestsAs("cabinet"), 2 * (kMaxProxyRounds - 1));

    // The user's answers are given up the same way.
    config = {};
    UseScript("credentials -> \"cabinet\" \"faux\" *");
    EXPECT_EQ(CheckRequest(), 0);
    EXPECT_EQ(Credentials().size(), static_cast<std::size_t>(kMaxProxyRounds));
}

TEST_F(ProxyChecksTest, AnOpenProxyTheServersOwnRefusalAndOtherAnswers) {
    StartProxy();
    EXPECT_EQ(CheckRequest(), 1);
    EXPECT_EQ(CheckAddress(), 1);
    ASSERT_EQ(proxy->Requests().size(), 2u);
    EXPECT_EQ(proxy->Requests()[0].url, kFile);
    EXPECT_EQ(RequestsAs("-"), 2);
    EXPECT_TRUE(Logged("INFO KTDownload : Check proxy status"));
    EXPECT_TRUE(Logged(std::string("INFO KTDownload : Check proxy status for url = ") + kFile));
    EXPECT_FALSE(Logged("INFO KTDownload : Proxy request reached destination"));

    StartProxy([](HttpProxy::Options& o) { o.serverAuth = "dupont:motdepasse"; });
    UseScript("credentials -> \"dupont\" \"motdepasse\"");
    const std::string page = "http://127.0.0.1:8/maj/versions.xml";
    EXPECT_EQ(CheckRequest(page), 1);
    EXPECT_EQ(proxy->Requests().back().serverUser, "dupont");
    EXPECT_EQ(proxy->Requests().back().status, 200);
    // The address check leaves a server's refusal to the transfer.
    EXPECT_EQ(CheckAddress(page), 1);
    EXPECT_EQ(Credentials().size(), 1u);

    StartProxy([](HttpProxy::Options& o) { o.status = 302; });
    EXPECT_EQ(CheckRequest(), 0);
    EXPECT_EQ(CheckAddress(), 1);
}

TEST_F(ProxyChecksTest, ADirectFtpAddressIsOpenedNotRead) {
    // Sending the whole file would take twenty seconds.
    UpdateServer ftp{{.generate = false, .throttle = 10000}};
    std::filesystem::create_directories(ftp.Root() / "maj");
    std::ofstream(ftp.Root() / "maj" / "versions.xml") << std::string(200000, 'v');
    session.access = platform::InternetAccess::kDirect;
    ConfigureLogin();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckAddress(ftp.Url("/maj/versions.xml")), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(ftp.Log().find("<- RETR versions.xml"), std::string::npos);
    EXPECT_EQ(ftp.Log().find("Transfer complete"), std::string::npos);
    EXPECT_EQ(CheckAddress(ftp.Url("/maj/absent.xml")), 0);
    EXPECT_TRUE(Logged("WARNING KTDownload : Can't open url for proxy checking"));

    // Nothing answers the request check either.
    session.proxy = "127.0.0.1:" + std::to_string(UnusedLoopbackPort());
    session.access = platform::InternetAccess::kProxy;
    EXPECT_EQ(CheckRequest(), 0);
    EXPECT_EQ(Journal().back(), "MJ_DWL_CPS_1 : Problème: proxy - request.");
}

}  // namespace
}  // namespace kt::test
