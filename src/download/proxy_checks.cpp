#include "download/proxy_checks.h"

#include "log/activity_log.h"
#include "run/run_report.h"

namespace kt::download {
namespace {

constexpr long kProxyAuthRequired = 407;
constexpr long kDenied = 401;

}  // namespace

ProxyChecks::ProxyChecks(run::RunContext& ctx, const config::InternetConfig& config) : ctx_(ctx), config_(config) {}

int ProxyChecks::CheckProxyStatus(platform::CurlRequest& request) {
    KT_DLOG(Info) << "KTDownload : Check proxy status";
    for (int round = 1;; ++round) {
        // A proxy that keeps refusing would be asked for ever.
        if (round > kMaxProxyRounds || request.Send() != 0) {
            return Fail("KTDownload : Proxy request failed", "MJ_DWL_CPS_1 : Problème: proxy - request.");
        }
        const long status = request.StatusCode();
        if (request.Kind() != platform::RequestKind::kHttp || status == 0) {
            return Fail("KTDownload : Wrong proxy status code", "MJ_DWL_CPS_2 : Problème avec HTTP proxy: status.");
        }
        if (status != kProxyAuthRequired && status != kDenied) return status < 300 ? 1 : 0;
        // The refusal's body was read and thrown away with the answer.
        KT_DLOG(Info) << "KTDownload : Proxy request reached destination";
        if (status == kProxyAuthRequired && HasConfiguredLogin()) {
            if (!SetConfiguredLogin(request, "MJ_DWL_CPS_5 : Problème: proxy - setoption.",
                                    "MJ_DWL_CPS_6 : Problème: proxy - setoption.")) {
                return 0;
            }
            continue;
        }
        if (!AskUserLogin(request, status)) return 0;
    }
}

int ProxyChecks::CheckProxyStatus(const platform::InternetSession& session, const std::string& address) {
    KT_DLOG(Info) << "KTDownload : Check proxy status for url = " << address;
    // Closed whatever the answer: nobody uses it after the check.
    platform::CurlRequest request(session, address);
    if (request.Send() != 0) {
        return Fail("KTDownload : Can't open url for proxy checking", "MJ_DWL_CFP_1a : Problème: proxy - InternetOpen.");
    }
    for (int round = 1;; ++round) {
        KT_DLOG(Info) << "KTDownload : Check proxy status in progress";
        if (round > 1 && (round > kMaxProxyRounds || request.Send() != 0)) {
            return Fail("KTDownload : Proxy request failed", "MJ_DWL_CFP_1 : Problème: proxy - request.");
        }
        const platform::RequestKind kind = request.Kind();
        if (kind == platform::RequestKind::kUnknown) {
            return Fail("KTDownload : Wrong query option for proxy checking",
                        "MJ_DWL_CFP_2 : Problème: proxy - queryoption.");
        }
        if (kind == platform::RequestKind::kOther) {
            if (HasConfiguredLogin() && !SetConfiguredLogin(request, "MJ_DWL_CFP_7 : Problème proxy - setoption.",
                                                            "MJ_DWL_CFP_8 : Problème proxy - setoption.")) {
                return 0;
            }
            return 1;
        }
        const long status = request.StatusCode();
        if (status == 0) {
            return Fail("KTDownload : Wrong query info for proxy checking", "MJ_DWL_CFP_3 : Problème: proxy - queryinfo.");
        }
        if (status != kProxyAuthRequired) return 1;
        if (!request.BodyComplete()) {
            return Fail("KTDownload : Wrong query data for proxy checking", "MJ_DWL_CFP_4 : Problème: proxy - querydata.");
        }
        if (HasConfiguredLogin()) {
            if (!SetConfiguredLogin(request, "MJ_DWL_CFP_5 : Problème: proxy - setoption.",
                                    "MJ_DWL_CFP_6 : Problème: proxy - setoption.")) {
                return 0;
            }
            continue;
        }
        // Without credentials the transfer itself meets the refusal.
        if (!AskUserLogin(request, status)) return 1;
    }
}

bool ProxyChecks::HasConfiguredLogin() const {
    return config_.connectionMode == config::kConnectionProxy && !config_.proxyLogin.empty();
}

bool ProxyChecks::SetConfiguredLogin(platform::CurlRequest& request, const char* userCode, const char* passwordCode) {
    if (!request.SetProxyUserName(config_.proxyLogin)) {
        Fail("KTDownload : Can't set option username from proxy option", userCode);
        return false;
    }
    if (!request.SetProxyPassword(config_.proxyPassword)) {
        Fail("KTDownload : Can't set option password from proxy option", passwordCode);
        return false;
    }
    return true;
}

bool ProxyChecks::AskUserLogin(platform::CurlRequest& request, long status) {
    const auto credentials = hostsuite::ActivePresenter().AskCredentials(request.Url());
    if (!credentials) return false;
    if (status == kProxyAuthRequired) {
        return request.SetProxyUserName(credentials->user) && request.SetProxyPassword(credentials->password);
    }
    return request.SetServerUserName(credentials->user) && request.SetServerPassword(credentials->password);
}

int ProxyChecks::Fail(const char* logLine, const char* journalLine) {
    return run::ReportFailure(ctx_, {el::Level::Warning, logLine, journalLine, run::LogSource::kDownload}, 0);
}

}  // namespace kt::download
