// Whether the workstation is on a network: a network interface other than
// loopback is up and a route leaves through it.
#pragma once

#include <filesystem>

namespace kt::platform {

bool IsNetworkConnected();

// The same answer read from other copies of /proc and /sys (for tests).
bool IsNetworkConnectedIn(const std::filesystem::path& procRoot, const std::filesystem::path& sysRoot);

}  // namespace kt::platform
