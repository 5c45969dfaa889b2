#include "connect/scripted_firewall.h"

namespace kt::connect {

ScriptedFirewall::ScriptedFirewall(std::deque<bool> canLaunch, FirewallResult addResult,
                                   std::map<FirewallResult, std::string> texts)
    : canLaunch_(std::move(canLaunch)), addResult_(addResult), texts_(std::move(texts)) {}

bool ScriptedFirewall::CanLaunch(const std::string& program) {
    std::lock_guard lock(mutex_);
    asked_.push_back(program);
    if (canLaunch_.empty()) return true;
    const bool answer = canLaunch_.front();
    if (canLaunch_.size() > 1) canLaunch_.pop_front();
    return answer;
}

FirewallResult ScriptedFirewall::AddToExceptionList(const std::string& program, const std::string& ruleName) {
    std::lock_guard lock(mutex_);
    rules_.push_back(program + "|" + ruleName);
    return addResult_;
}

std::optional<std::string> ScriptedFirewall::MessageText(FirewallResult result) {
    std::lock_guard lock(mutex_);
    const auto found = texts_.find(result);
    if (found == texts_.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> ScriptedFirewall::Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

std::vector<std::string> ScriptedFirewall::Rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

}  // namespace kt::connect
