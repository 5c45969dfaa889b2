// One request on an address (HTTP, or FTP directly or through an HTTP
// proxy) that can be sent again with credentials: what the proxy checks work
// on before a transfer. Sending reads the head of the answer only; the body
// of an authentication refusal is read and thrown away so that the request
// can be sent again, any other body is left to the transfer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/curl_session.h"

namespace kt::platform {

enum class RequestKind {
    kUnknown,  // nothing answered yet
    kHttp,     // an HTTP answer: the server's, or a proxy's in front of it
    kOther,    // a direct FTP server
};

class CurlRequest {
public:
    CurlRequest(const InternetSession& session, const std::string& url);
    ~CurlRequest();
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    // Sends (or sends again) the request. 0 when an answer came, else the
    // libcurl error number of the failure.
    int Send();
    // The libcurl error number of the last send, 0 when it was answered.
    int LastError() const;
    // What answered the last send.
    RequestKind Kind() const;
    // The HTTP status of the last answer; 0 when there is none.
    long StatusCode() const;
    // False when the body of the last refusal broke off while being read.
    bool BodyComplete() const;
    // The Content-Length of the last HTTP answer; -1 when it gave none.
    std::int64_t ContentLength() const;
    // The file's date (seconds since 1970) from the last answer's
    // Last-Modified; -1 when it gave none.
    std::int64_t FileTime() const;

    // Credentials for the proxy (407) and for the server (401), kept for
    // every later send. False when they cannot be set.
    bool SetProxyUserName(const std::string& user);
    bool SetProxyPassword(const std::string& password);
    bool SetServerUserName(const std::string& user);
    bool SetServerPassword(const std::string& password);

    const std::string& Url() const;
    // The CURL handle, with the credentials set so far; null when libcurl
    // could not make one. For the curl wrappers of this folder only.
    void* Handle() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kt::platform
