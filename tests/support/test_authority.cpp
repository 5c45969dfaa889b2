#include "support/test_authority.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "support/temp_tree.h"

namespace kt::test {

TestAuthority::TestAuthority() {
    std::ofstream(scratch_.Path() / "server.ext") << "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                                                     "extendedKeyUsage=serverAuth\n";
    const std::string newKey = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string command =
        "cd '" + scratch_.Path().string() + "' && { openssl req -x509" + newKey +
        " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Test authority' && openssl req" + newKey +
        " -keyout server.key -out server.csr -subj '/CN=127.0.0.1' && openssl x509 -req -in server.csr -CA ca.pem"
        " -CAkey ca.key -CAcreateserial -out server.pem -days 2 -extfile server.ext; } >openssl.log 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl failed: " + ReadFile(scratch_.Path() / "openssl.log"));
}

}  // namespace kt::test
