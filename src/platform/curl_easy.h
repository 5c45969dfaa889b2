// One libcurl transfer handle set up for a session: the proxy choice, bounded
// waits and no signals (the handle may be used from a worker thread). Used
// by the curl wrappers of this folder only.
#pragma once

#include <string>

#include "platform/curl_session.h"

namespace kt::platform {

class CurlEasy {
public:
    explicit CurlEasy(const InternetSession& session);
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    // The CURL handle; null when libcurl could not make one.
    void* Get() const { return handle_; }

    // Points the handle at `url`. "ftps://" is FTP with explicit TLS on the
    // FTP port (AUTH TLS), required for the login and the data: a server
    // without TLS is refused, never spoken to in clear.
    void SetUrl(const std::string& url);

private:
    void* handle_;
};

}  // namespace kt::platform
