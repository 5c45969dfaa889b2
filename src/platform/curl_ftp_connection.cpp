#include "platform/curl_ftp_connection.h"

#include <curl/curl.h>

#include "platform/curl_easy.h"

namespace kt::platform {
namespace {

// The whole login, answers included, may not take longer.
constexpr long kLoginTimeoutSeconds = 60;

std::string ServerRoot(const char* scheme, const std::string& server, int port) {
    const bool ipv6 = server.find(':') != std::string::npos;
    return scheme + (ipv6 ? "[" + server + "]" : server) + ":" + std::to_string(port) + "/";
}

}  // namespace

int OpenFtpConnection(const InternetSession& session, const std::string& server, int port, bool secure) {
    CurlEasy easy(session);
    CURL* curl = easy.Get();
    if (curl == nullptr) return CURLE_FAILED_INIT;
    easy.SetUrl(ServerRoot(secure ? "ftps://" : "ftp://", server, port));
    // The server's root without a body: log in and stop. libcurl logs in
    // anonymously when the address names no user.
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    // Through an HTTP proxy the answer is an HTTP status: a refusal is a failure.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kLoginTimeoutSeconds);
    return curl_easy_perform(curl);
}

int OpenHttpConnection(const InternetSession& session, const std::string& server, int port, bool secure) {
    CurlEasy easy(session);
    CURL* curl = easy.Get();
    if (curl == nullptr) return CURLE_FAILED_INIT;
    easy.SetUrl(ServerRoot(secure ? "https://" : "http://", server, port));
    // Any HTTP answer to a HEAD request shows that the server is there.
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kLoginTimeoutSeconds);
    return curl_easy_perform(curl);
}

}  // namespace kt::platform
