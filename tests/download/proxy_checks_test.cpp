// The proxy checks against the tests' HTTP proxy (which answers every request itself) and FTP server.
#include <fstream>

#include "download/proxy_checks.h"
#include "support/http_proxy.h"
#include "support/update_server.h"
#include "support/workstation.h"

namespace kt::test {
namespace {

using download::kMaxProxyRounds;

constexpr const char* kFile = "ftp://127.0.0.1/maj/versions.xml";

using ProxyChecksTest = ConfiguredWorkstation;

// Each row runs the request check, then the address check, through its own proxy.
TEST_F(ProxyChecksTest, EachProxyAnswerGivesItsResultWithinTheRounds) {
    const auto asks = [](const char* proxyAuth, const char* serverAuth = "") {
        return HttpProxy::Options{.proxyAuth = proxyAuth, .serverAuth = serverAuth};
    };
    const HttpProxy::Options never{.proxyAuth = "", .neverAccept = true, .serverAuth = ""};
    const struct {
        const char* what;
        HttpProxy::Options proxy;
        int mode;  // of the configured login "cabinet"; 0: none
        std::string script, url;
        std::pair<int, int> results;  // of the request check, of the address check
        long asked, rounds;           // logins asked; rounds logged
        std::string journal;          // the last journal line; "": none added
        int sentAsCabinet = -1;       // requests the proxy saw with that login; -1: not counted
        bool unreachable = false;
    } rows[] = {
        {"the configured login, sent when asked", asks("cabinet:s3cret"), config::kConnectionProxy, "", kFile, {1, 1}, 0, 3, "", 2},
        {"a login of another mode: the user is asked", asks("cabinet:s3cret"), config::kConnectionSystem,
         "credentials -> \"cabinet\" \"s3cret\" *", kFile, {1, 1}, 2, 3, "", 2},
        // The address is left to the transfer.
        {"the user cancels", asks("cabinet:s3cret"), 0, "credentials -> cancel *", kFile, {0, 1}, 2, 2, ""},
        {"never accepts the configured login", never, config::kConnectionProxy, "", kFile, {0, 0}, 0,
         2 * kMaxProxyRounds + 1, "MJ_DWL_CFP_1 : Problème: proxy - request."},
        {"never accepts the user's answers", never, 0, "credentials -> \"cabinet\" \"faux\" *", kFile,
         {0, 0}, 2 * kMaxProxyRounds, 2 * kMaxProxyRounds + 1, "MJ_DWL_CFP_1 : Problème: proxy - request."},
        {"an open proxy", asks(""), 0, "", kFile, {1, 1}, 0, 1, ""},
        // The address check leaves a server's own refusal to the transfer.
        {"the server asks a login", asks("", "dupont:motdepasse"), 0, "credentials -> \"dupont\" \"motdepasse\"",
         "http://127.0.0.1:8/maj/versions.xml", {1, 1}, 1, 2, ""},
        {"a redirection", {.proxyAuth = "", .serverAuth = "", .status = 302}, 0, "", kFile, {0, 1}, 0, 1, ""},
        {"nothing answers", asks(""), 0, "", kFile, {0, 0}, 0, 0, "MJ_DWL_CFP_1a : Problème: proxy - InternetOpen.", -1, true},
    };
    const auto rounds = [this] {
        return CountLogged("INFO KTDownload : Proxy request reached destination") + CountLogged("INFO KTDownload : Check proxy status in progress");
    };
    platform::InternetSession session;
    config::InternetConfig config;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        HttpProxy proxy(row.proxy);
        session.access = platform::InternetAccess::kProxy;
        session.proxy = row.unreachable ? "127.0.0.1:" + std::to_string(UnusedLoopbackPort()) : proxy.Address();
        config = {};
        if (row.mode != 0) config.connectionMode = row.mode, config.proxyLogin = "cabinet", config.proxyPassword = "s3cret";
        UseScript(row.script);
        const std::size_t journaled = Journal().size();
        const long roundsBefore = rounds();

        const int byRequest = [&] {
            platform::CurlRequest request(session, row.url);
            return download::ProxyChecks(ctx, config).CheckProxyStatus(request);
        }();
        EXPECT_EQ(std::pair(byRequest, download::ProxyChecks(ctx, config).CheckProxyStatus(session, row.url)), row.results);
        EXPECT_EQ(std::ranges::count_if(Transcript(), [](const std::string& l) { return l.starts_with("credentials"); }), row.asked);
        EXPECT_EQ(rounds() - roundsBefore, row.rounds);
        EXPECT_EQ(Journal().size() == journaled ? "" : Journal().back(), row.journal);
        if (row.sentAsCabinet < 0) continue;
        EXPECT_EQ(std::ranges::count_if(proxy.Requests(), [](const auto& r) { return r.proxyUser == "cabinet"; }), row.sentAsCabinet);
    }
}

// The whole file would take twenty seconds: a direct FTP address is opened, not read.
TEST_F(ProxyChecksTest, ADirectFtpAddressIsOpenedNotRead) {
    UpdateServer ftp{{.generate = false, .throttle = 10000}};
    std::filesystem::create_directories(ftp.Root() / "maj");
    std::ofstream(ftp.Root() / "maj" / "versions.xml") << std::string(200000, 'v');
    platform::InternetSession session;
    session.access = platform::InternetAccess::kDirect;
    config::InternetConfig config;
    config.connectionMode = config::kConnectionProxy;
    config.proxyLogin = "cabinet";
    const auto check = [&] { return download::ProxyChecks(ctx, config).CheckProxyStatus(session, ftp.Url("/maj/versions.xml")); };
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(ftp.Log().find("Transfer complete"), std::string::npos);
    // A login the transfer library refuses fails the check.
    config.proxyLogin.assign(8'000'001, 'c');
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(Journal().back(), "MJ_DWL_CFP_7 : Problème proxy - setoption.");
}

}  // namespace
}  // namespace kt::test
