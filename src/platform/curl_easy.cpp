#include "platform/curl_easy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string_view>

namespace kt::platform {
namespace {

constexpr long kConnectTimeoutSeconds = 30;
// A proxy named without a port: the usual port of HTTP proxies.
constexpr long kDefaultProxyPort = 80;

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void ApplySession(CURL* curl, const InternetSession& session) {
    switch (session.access) {
    case InternetAccess::kPreconfig:
        // libcurl reads the proxy environment variables when no proxy is set.
        break;
    case InternetAccess::kDirect:
        // An empty proxy turns every proxy off, the environment's included.
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        break;
    case InternetAccess::kProxy:
        curl_easy_setopt(curl, CURLOPT_PROXY, session.proxy.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPORT, kDefaultProxyPort);
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (!session.proxyUser.empty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, session.proxyUser.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, session.proxyPassword.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
        }
        break;
    }
}

}  // namespace

CurlEasy::CurlEasy(const InternetSession& session) {
    InitLibraryOnce();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) return;
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    ApplySession(handle_, session);
    // Certificates are always verified; only the authorities may change.
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!session.caFile.empty()) curl_easy_setopt(handle_, CURLOPT_CAINFO, session.caFile.c_str());
}

void CurlEasy::SetUrl(const std::string& url) {
    if (handle_ == nullptr) return;
    constexpr std::string_view kSecureFtp = "ftps://";
    const bool secureFtp = url.size() >= kSecureFtp.size() &&
                           std::equal(kSecureFtp.begin(), kSecureFtp.end(), url.begin(),
                                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    if (!secureFtp) {
        curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
        return;
    }
    const std::string plain = "ftp://" + url.substr(kSecureFtp.size());
    curl_easy_setopt(handle_, CURLOPT_URL, plain.c_str());
    curl_easy_setopt(handle_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    // Through an HTTP proxy the FTP dialogue goes through a tunnel, so that
    // TLS runs end to end with the server rather than stopping at the proxy.
    curl_easy_setopt(handle_, CURLOPT_HTTPPROXYTUNNEL, 1L);
}

CurlEasy::~CurlEasy() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

}  // namespace kt::platform
