#include "connect/url_parts.h"

#include <algorithm>
#include <cctype>

namespace kt::connect {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool IsSchemeText(const std::string& scheme) {
    return !scheme.empty() && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
           std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '+' || c == '-' || c == '.';
           });
}

struct Scheme {
    UrlService service;
    bool secure;
    int port;
};

// Service, security and usual port of a scheme. FTPS is explicit TLS on
// the FTP port.
Scheme SchemeOf(const std::string& scheme) {
    if (scheme == "ftp") return {UrlService::kFtp, false, 21};
    if (scheme == "ftps") return {UrlService::kFtp, true, 21};
    if (scheme == "http") return {UrlService::kHttp, false, 80};
    if (scheme == "https") return {UrlService::kHttp, true, 443};
    return {UrlService::kOther, false, 0};
}

std::optional<int> PortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), ::isdigit)) return std::nullopt;
    const int port = std::stoi(text);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// Splits "server[:port]" (the server may be a bracketed IPv6 address).
bool SplitHost(const std::string& host, UrlParts& parts) {
    std::string portText;
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        if (close == std::string::npos) return false;
        parts.server = host.substr(1, close - 1);
        const std::string rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
        }
    } else {
        const auto colon = host.find(':');
        parts.server = host.substr(0, colon);
        if (colon != std::string::npos) portText = host.substr(colon + 1);
        if (colon != std::string::npos && portText.empty()) return false;
    }
    if (parts.server.empty()) return false;
    if (!portText.empty()) {
        const auto port = PortNumber(portText);
        if (!port) return false;
        parts.port = *port;
    }
    return true;
}

}  // namespace

std::optional<UrlParts> SplitUrl(const std::string& address) {
    const auto separator = address.find("://");
    if (separator == std::string::npos) return std::nullopt;
    const std::string scheme = Lower(address.substr(0, separator));
    if (!IsSchemeText(scheme)) return std::nullopt;

    UrlParts parts;
    const Scheme known = SchemeOf(scheme);
    parts.service = known.service;
    parts.secure = known.secure;
    parts.port = known.port;
    const std::string rest = address.substr(separator + 3);
    const auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    parts.object = slash == std::string::npos ? "/" : rest.substr(slash);
    const auto at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);
    if (authority.find_first_of(" \t\r\n") != std::string::npos) return std::nullopt;
    if (!SplitHost(authority, parts)) return std::nullopt;
    return parts;
}

std::string ServerRoot(const UrlParts& parts) {
    std::string scheme = parts.service == UrlService::kHttp ? "http" : "ftp";
    if (parts.secure) scheme += 's';
    const bool ipv6 = parts.server.find(':') != std::string::npos;
    return scheme + "://" + (ipv6 ? "[" + parts.server + "]" : parts.server) + ":" + std::to_string(parts.port);
}

}  // namespace kt::connect
