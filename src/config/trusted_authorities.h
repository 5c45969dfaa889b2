// The certificate authorities a practice trusts for its own TLS update
// server: the file named by `CAFile` of `Update`/`Tls` in appid.xml, e.g.
//     <Update ...><Tls CAFile="/etc/talvo/cabinet-ca.pem"/></Update>
// A relative name is taken from the application folder. Without it, the
// system's store decides.
#pragma once

#include <string>

#include "run/run_context.h"

namespace kt::config {

// The path of the authorities' file; empty when none is named.
std::string TrustedAuthoritiesFile(const run::RunContext& ctx);

}  // namespace kt::config
