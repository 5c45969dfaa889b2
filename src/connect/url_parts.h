// A server address split into its service, server, port and object, as the
// connection check needs it: "ftp://server[:port][/object]".
#pragma once

#include <optional>
#include <string>

namespace kt::connect {

enum class UrlService { kFtp, kHttp, kOther };

struct UrlParts {
    UrlService service = UrlService::kOther;
    std::string server;
    // The explicit port, or the service's usual one (21 FTP, 80 HTTP, 443 HTTPS).
    int port = 0;
    // The path after the server, "/" when there is none.
    std::string object;
};

// Nothing when the address is not of the form scheme://[user[:password]@]server[:port][/object].
std::optional<UrlParts> SplitUrl(const std::string& address);

}  // namespace kt::connect
