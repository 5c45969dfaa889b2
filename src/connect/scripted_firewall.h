// A firewall that answers as it was told and remembers what it was asked,
// for tests and demonstrations.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "connect/firewall.h"

namespace kt::connect {

class ScriptedFirewall : public Firewall {
public:
    // The answers of CanLaunch in turn; the last one repeats.
    explicit ScriptedFirewall(std::deque<bool> canLaunch, FirewallResult addResult = 0,
                              std::map<FirewallResult, std::string> texts = {});

    bool CanLaunch(const std::string& program) override;
    FirewallResult AddToExceptionList(const std::string& program, const std::string& ruleName) override;
    std::optional<std::string> MessageText(FirewallResult result) override;

    // The programs asked about, in order.
    std::vector<std::string> Asked() const;
    // The rules added, as "program|rule name".
    std::vector<std::string> Rules() const;

private:
    mutable std::mutex mutex_;
    std::deque<bool> canLaunch_;
    FirewallResult addResult_;
    std::map<FirewallResult, std::string> texts_;
    std::vector<std::string> asked_;
    std::vector<std::string> rules_;
};

}  // namespace kt::connect
