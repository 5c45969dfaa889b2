// A small HTTP proxy of the tests on 127.0.0.1. It answers every request itself (nothing leaves the machine): with
// 407 until the credentials it wants arrive, with 401 as a server would, or with a chosen status. It logs every
// request it receives.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/server_process.h"

namespace kt::test {

class HttpProxy {
public:
    struct Options {
        std::string proxyAuth;     // "user:password" the proxy wants (Basic); empty = no proxy login
        bool neverAccept = false;  // 407 to everything
        std::string serverAuth;    // "user:password" the server behind wants (401 until then)
        int status = 200;
    };

    // One request as the proxy saw it.
    struct Request {
        std::string method, url;
        std::string proxyUser, serverUser;  // "-" when none was sent
        int status = 0;
    };

    explicit HttpProxy(Options options);

    int Port() const { return process_->Port(); }
    // "127.0.0.1:<port>", as a proxy setting.
    std::string Address() const { return "127.0.0.1:" + std::to_string(Port()); }
    std::vector<Request> Requests() const;

private:
    ScratchDir scratch_;
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace kt::test
