// The firewall of a workstation whose firewall leaves the host application
// alone: every program may use the network.
#pragma once

#include "connect/firewall.h"

namespace kt::connect {

class DefaultFirewall : public Firewall {
public:
    bool CanLaunch(const std::string& program) override;
    FirewallResult AddToExceptionList(const std::string& program, const std::string& ruleName) override;
    std::optional<std::string> MessageText(FirewallResult result) override;
};

}  // namespace kt::connect
