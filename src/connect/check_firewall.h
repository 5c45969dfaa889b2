// Makes sure the firewall lets the host application's program use the
// network, adding an exception for it when it does not.
#pragma once

#include "connect/firewall.h"
#include "run/run_context.h"

namespace kt::connect {

inline constexpr const char* kHostProgram = "Talvo.exe";
inline constexpr const char* kFirewallRuleName = "Talvo - Module principal";

// False only when a rule was added and the firewall still blocks the host
// program; a firewall that cannot be changed does not stop the connection.
bool CheckFirewall(const run::RunContext& ctx, Firewall& firewall);

}  // namespace kt::connect
