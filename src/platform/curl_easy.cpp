#include "platform/curl_easy.h"

#include <curl/curl.h>

#include <mutex>

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
}

CurlEasy::~CurlEasy() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

}  // namespace kt::platform
