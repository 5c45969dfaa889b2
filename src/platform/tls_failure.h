// What a failed transfer says about TLS: a server whose certificate is not
// trusted, or one that does not speak TLS where it must.
#pragma once

namespace kt::platform {

enum class TlsFailure {
    kNone,       // the failure, if any, has another cause
    kUntrusted,  // the certificate does not verify against the trusted authorities
    kRefused,    // the server refused or could not complete TLS
};

// The TLS side of a libcurl error number.
TlsFailure TlsFailureOf(int curlError);

// libcurl's text for an error number.
const char* CurlErrorText(int curlError);

}  // namespace kt::platform
