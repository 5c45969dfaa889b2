#include "support/test_authority.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kt::test {
namespace {

void Openssl(const std::filesystem::path& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder.string() + "' && openssl " + arguments + " >openssl.log 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl failed: " + arguments);
}

}  // namespace

TestAuthority::TestAuthority() {
    const std::filesystem::path folder = scratch_.Path();
    const std::string newKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    std::ofstream(folder / "server.ext") << "subjectAltName=IP:127.0.0.1\n"
                                            "basicConstraints=CA:FALSE\n"
                                            "extendedKeyUsage=serverAuth\n";
    Openssl(folder, "req -x509 " + newKey + " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Test authority'");
    Openssl(folder, "req " + newKey + " -keyout server.key -out server.csr -subj '/CN=127.0.0.1'");
    Openssl(folder, "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 "
                    "-extfile server.ext");
}

}  // namespace kt::test
