// How the module's Internet accesses reach the network: through the proxy of
// the system settings (the standard proxy environment variables), directly,
// or through a named proxy.
#pragma once

#include <string>

namespace kt::platform {

enum class InternetAccess {
    kPreconfig,  // the system settings: http_proxy, ftp_proxy, all_proxy, no_proxy
    kDirect,     // no proxy at all, whatever the environment says
    kProxy,      // the named proxy
};

struct InternetSession {
    InternetAccess access = InternetAccess::kPreconfig;
    // "host" or "host:port" for kProxy; a proxy named without a port listens on 80.
    std::string proxy;
    // Certificates of TLS servers are checked against this file of trusted
    // authorities (PEM); empty: against the system's store.
    std::string caFile;
    // Given to a named proxy that asks for a login; empty = none.
    std::string proxyUser;
    std::string proxyPassword;
};

}  // namespace kt::platform
