// The proxy checks a transfer runs before it reads: they detect a proxy (or
// server) that asks for a login, give it the configured proxy credentials or
// the user's, and send the request again. A proxy that keeps refusing is
// given up after a few rounds.
#pragma once

#include <string>

#include "config/internet_config.h"
#include "hostsuite/presenter.h"
#include "platform/curl_request.h"
#include "platform/curl_session.h"
#include "run/run_context.h"

namespace kt::download {

// Sends of one request, the first included, before the checks give up.
inline constexpr int kMaxProxyRounds = 5;

class ProxyChecks {
public:
    // `config`: the download's connection settings (mode, proxy login and
    // password).
    ProxyChecks(run::RunContext& ctx, const config::InternetConfig& config);

    // The request check: sends the request until it is answered without a
    // login demand. 1 when the final status is below 300, else 0.
    int CheckProxyStatus(platform::CurlRequest& request);
    // The address check: opens `address` through the session and answers a
    // proxy's login demand. 1 when the address may be used, 0 on a failure.
    int CheckProxyStatus(const platform::InternetSession& session, const std::string& address);

private:
    bool HasConfiguredLogin() const;
    // Sets the configured proxy login on the request, logging and
    // journalling a refusal with the given codes.
    bool SetConfiguredLogin(platform::CurlRequest& request, const char* userCode, const char* passwordCode);
    // Asks the user for credentials and sets them for the proxy (407) or the
    // server (401). False when the user gives none.
    bool AskUserLogin(platform::CurlRequest& request, long status);
    int Fail(const char* logLine, const char* journalLine);

    run::RunContext& ctx_;
    config::InternetConfig config_;
};

}  // namespace kt::download
