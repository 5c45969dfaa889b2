#include "platform/tls_failure.h"

#include <curl/curl.h>

namespace kt::platform {

TlsFailure TlsFailureOf(int curlError) {
    switch (curlError) {
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return TlsFailure::kUntrusted;
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_CONNECT_ERROR:
            return TlsFailure::kRefused;
        default:
            return TlsFailure::kNone;
    }
}

const char* CurlErrorText(int curlError) { return curl_easy_strerror(static_cast<CURLcode>(curlError)); }

}  // namespace kt::platform
