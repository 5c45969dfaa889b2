#include "platform/network_state.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kt::platform {
namespace {

constexpr unsigned long kRouteUp = 0x1;      // RTF_UP
constexpr unsigned long kInterfaceUp = 0x1;  // IFF_UP
constexpr unsigned long kLoopback = 0x8;     // IFF_LOOPBACK

unsigned long Hex(const std::string& text) {
    try {
        return std::stoul(text, nullptr, 16);
    } catch (const std::exception&) {
        return 0;
    }
}

// Interfaces that carry a route that is up. IPv4 lines: interface first,
// flags fourth; IPv6 lines: flags ninth, interface tenth.
std::vector<std::string> RoutedInterfaces(const std::filesystem::path& procRoot) {
    std::vector<std::string> names;
    std::ifstream ipv4(procRoot / "net/route");
    std::string line;
    std::getline(ipv4, line);  // column titles
    while (std::getline(ipv4, line)) {
        std::istringstream words(line);
        std::string name, destination, gateway, flags;
        if (words >> name >> destination >> gateway >> flags && (Hex(flags) & kRouteUp)) names.push_back(name);
    }
    std::ifstream ipv6(procRoot / "net/ipv6_route");
    while (std::getline(ipv6, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields{std::istream_iterator<std::string>(words), {}};
        if (fields.size() >= 10 && (Hex(fields[8]) & kRouteUp)) names.push_back(fields[9]);
    }
    return names;
}

bool IsUpAndNotLoopback(const std::filesystem::path& sysRoot, const std::string& name) {
    std::ifstream file(sysRoot / "class/net" / name / "flags");
    std::string text;
    if (!(file >> text)) return false;
    const unsigned long flags = Hex(text);
    return (flags & kInterfaceUp) && !(flags & kLoopback);
}

}  // namespace

bool IsNetworkConnected() { return IsNetworkConnectedIn("/proc", "/sys"); }

bool IsNetworkConnectedIn(const std::filesystem::path& procRoot, const std::filesystem::path& sysRoot) {
    for (const std::string& name : RoutedInterfaces(procRoot)) {
        if (IsUpAndNotLoopback(sysRoot, name)) return true;
    }
    return false;
}

}  // namespace kt::platform
