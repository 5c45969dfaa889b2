// The FTP connection test of the connection check: an anonymous login on a
// server, in active mode, through the session's proxy choice. No file is
// transferred and the connection is closed at once.
#pragma once

#include <string>

#include "platform/curl_session.h"

namespace kt::platform {

// 0 when the server (or the proxy in front of it) accepted the login, else
// the libcurl error number of the failure.
int OpenFtpConnection(const InternetSession& session, const std::string& server, int port);

}  // namespace kt::platform
