// The connection settings the download engine reads from appid.xml before
// it starts its transfers.
#pragma once

#include <cstdint>
#include <string>

#include "hostsuite/presenter.h"
#include "run/run_context.h"

namespace kt::config {

enum ConnectionMode : int {
    kConnectionUnknown = 0,
    // The system's Internet settings (the standard proxy variables).
    kConnectionSystem = 1,
    kConnectionDirect = 2,
    kConnectionProxy = 3,
};

struct InternetConfig {
    int connectionMode = kConnectionUnknown;
    std::string proxyAddress;
    // 0 when the stored port is not a number from 1 to 65535.
    std::uint16_t proxyPort = 0;
    std::string proxyLogin;
    std::string proxyPassword;
    // Kilobytes per second; 0 means no limit.
    double speedLimit = 0.0;
    // The practice's own certificate authorities; empty: the system's store.
    std::string caFile;
};

// Reads the proxy settings and the speed limit into `config`, journalling
// the read (owner: the download dialog's window). 1 on success; 0, with the
// journal code of the value that could not be read, otherwise.
[[nodiscard]] int ReadInternetConfig(run::RunContext& ctx, InternetConfig& config);

}  // namespace kt::config
