// The Internet session of the transfers, from the download's connection
// settings: the system's settings, direct, or the named proxy with the
// login configured for it.
#pragma once

#include <optional>

#include "config/internet_config.h"
#include "platform/curl_session.h"
#include "platform/ftp_client.h"

namespace kt::download {

// Nothing when the settings name no usable access: an unknown mode, or the
// named-proxy mode without a proxy name.
std::optional<platform::InternetSession> MakeTransferSession(const config::InternetConfig& config);

// The login given to a named proxy that asks for one; empty otherwise.
platform::FtpAccount ProxyAccount(const config::InternetConfig& config);

}  // namespace kt::download
