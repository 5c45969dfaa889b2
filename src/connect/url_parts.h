// A server address split into its service, server, port and object, as the
// connection check and the transfers need it: "ftp://server[:port][/object]",
// "ftps://" for FTP with explicit TLS, "http://" and "https://".
#pragma once

#include <optional>
#include <string>

namespace kt::connect {

enum class UrlService { kFtp, kHttp, kOther };

struct UrlParts {
    UrlService service = UrlService::kOther;
    // ftps or https: TLS required, the server's certificate verified.
    bool secure = false;
    std::string server;
    // The explicit port, or the service's usual one (21 FTP and FTPS, 80 HTTP, 443 HTTPS).
    int port = 0;
    // The path after the server, "/" when there is none.
    std::string object;
};

// Nothing when the address is not of the form scheme://[user[:password]@]server[:port][/object].
std::optional<UrlParts> SplitUrl(const std::string& address);

// "scheme://server:port" of the parts, the scheme of their service and
// security, without an object.
std::string ServerRoot(const UrlParts& parts);

}  // namespace kt::connect
