#include "connect/check_firewall.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "log/activity_log.h"

namespace kt::connect {
namespace {

std::string ResultText(Firewall& firewall, FirewallResult result) {
    if (auto text = firewall.MessageText(result)) return *text;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                  static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
    return buffer;
}

}  // namespace

bool CheckFirewall(const run::RunContext& ctx, Firewall& firewall) {
    const std::string program = (std::filesystem::path(ctx.appDir) / kHostProgram).string();
    if (firewall.CanLaunch(program)) {
        KT_LOG(Info) << "Windows firewall is not blocking Talvo";
        return true;
    }
    KT_LOG(Warning) << "No rule exists for Talvo in windows firewall : create a new one";
    const FirewallResult added = firewall.AddToExceptionList(program, kFirewallRuleName);
    if (added < 0) {
        KT_LOG(Error) << "Can't add a rule to windows firewall : " << ResultText(firewall, added);
        KT_LOG(Warning) << "Error with windows firewall (maybe firewall service is not running) : still try to connect to url";
        return true;
    }
    KT_LOG(Info) << "New rule is added to windows firewall for Talvo";
    if (firewall.CanLaunch(program)) return true;
    KT_LOG(Error) << "Something is still blocking Talvo";
    return false;
}

}  // namespace kt::connect
