// The FTP connection test of the connection check: an anonymous login on a
// server, in active mode, through the session's proxy choice. No file is
// transferred and the connection is closed at once.
#pragma once

#include <string>

#include "platform/curl_session.h"

namespace kt::platform {

// 0 when the server (or the proxy in front of it) accepted the login, else
// the libcurl error number of the failure. `secure`: the login over TLS,
// the server's certificate verified.
int OpenFtpConnection(const InternetSession& session, const std::string& server, int port, bool secure = false);

// The connection test of an HTTP server: a HEAD request on its root that
// any HTTP answer satisfies, through the session's proxy choice, with the
// TLS handshake and the certificate's verification for `secure`. 0 or the
// libcurl error.
int OpenHttpConnection(const InternetSession& session, const std::string& server, int port, bool secure);

}  // namespace kt::platform
