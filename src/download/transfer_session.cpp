#include "download/transfer_session.h"

namespace kt::download {

std::optional<platform::InternetSession> MakeTransferSession(const config::InternetConfig& config) {
    platform::InternetSession session;
    session.caFile = config.caFile;
    switch (config.connectionMode) {
        case config::kConnectionSystem:
            session.access = platform::InternetAccess::kPreconfig;
            return session;
        case config::kConnectionDirect:
            session.access = platform::InternetAccess::kDirect;
            return session;
        case config::kConnectionProxy:
            // Without a name the session would quietly connect directly.
            if (config.proxyAddress.empty()) return std::nullopt;
            session.access = platform::InternetAccess::kProxy;
            session.proxy = config.proxyAddress;
            if (config.proxyPort != 0) {
                session.proxy += ':';
                session.proxy += std::to_string(config.proxyPort);
            }
            return session;
        default:
            return std::nullopt;
    }
}

platform::FtpAccount ProxyAccount(const config::InternetConfig& config) {
    if (config.connectionMode != config::kConnectionProxy || config.proxyLogin.empty()) return {};
    return {config.proxyLogin, config.proxyPassword};
}

}  // namespace kt::download
