// The firewall helper: whether a program may use the network, and adding a
// program to the firewall's exceptions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kt::connect {

// A result of the firewall helper: negative on failure, as HRESULTs are.
using FirewallResult = std::int32_t;

class Firewall {
public:
    virtual ~Firewall() = default;
    // True when the firewall lets the program through.
    virtual bool CanLaunch(const std::string& program) = 0;
    // Adds an exception rule for the program.
    virtual FirewallResult AddToExceptionList(const std::string& program, const std::string& ruleName) = 0;
    // The system's text for a result; nothing when it has none.
    virtual std::optional<std::string> MessageText(FirewallResult result) = 0;
};

}  // namespace kt::connect
