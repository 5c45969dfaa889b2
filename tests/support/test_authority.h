// A certificate authority made for one test with the openssl command line, and a certificate it signed for a server
// on 127.0.0.1. Removed with the object.
#pragma once

#include <filesystem>

#include "support/server_process.h"

namespace kt::test {

class TestAuthority {
public:
    // Throws std::runtime_error when openssl fails.
    TestAuthority();

    // The authority's certificate: what a workstation must trust.
    std::filesystem::path Certificate() const { return scratch_.Path() / "ca.pem"; }
    std::filesystem::path ServerCertificate() const { return scratch_.Path() / "server.pem"; }
    std::filesystem::path ServerKey() const { return scratch_.Path() / "server.key"; }

private:
    ScratchDir scratch_;
};

}  // namespace kt::test
