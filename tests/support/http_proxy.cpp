#include "support/http_proxy.h"

#include <sstream>

#include "support/temp_tree.h"

namespace kt::test {

HttpProxy::HttpProxy(Options options) {
    std::vector<std::string> args{"--log", (scratch_.Path() / "proxy.log").string(), "--status",
                                  std::to_string(options.status)};
    if (!options.proxyAuth.empty()) args.insert(args.end(), {"--proxy-auth", options.proxyAuth});
    if (!options.serverAuth.empty()) args.insert(args.end(), {"--server-auth", options.serverAuth});
    if (options.neverAccept) args.push_back("--never-accept");
    process_ = std::make_unique<ServerProcess>(std::filesystem::path(KT_TEST_SUPPORT_DIR) / "http_proxy.py", args);
}

std::vector<HttpProxy::Request> HttpProxy::Requests() const {
    std::vector<Request> requests;
    std::istringstream log(ReadFile(scratch_.Path() / "proxy.log"));
    for (Request request; log >> request.method >> request.url >> request.proxyUser >> request.serverUser >> request.status;) {
        requests.push_back(request);
    }
    return requests;
}

}  // namespace kt::test
