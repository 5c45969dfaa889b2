#include "connect/default_firewall.h"

namespace kt::connect {

bool DefaultFirewall::CanLaunch(const std::string&) { return true; }

FirewallResult DefaultFirewall::AddToExceptionList(const std::string&, const std::string&) { return 0; }

std::optional<std::string> DefaultFirewall::MessageText(FirewallResult) { return std::nullopt; }

}  // namespace kt::connect
