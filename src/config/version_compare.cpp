#include "config/version_compare.h"

#include <string_view>
#include <vector>

#include "config/decimal_text.h"

namespace kt::config {
namespace {

constexpr std::size_t kMaxVersionChars = 51;
constexpr std::size_t kComparedParts = 3;

std::vector<long long> VersionParts(const char* version) {
    std::string_view text(version);
    text = text.substr(0, kMaxVersionChars);
    std::vector<long long> parts;
    if (text.empty()) return parts;
    while (parts.size() < kComparedParts) {
        const std::size_t dot = text.find('.');
        parts.push_back(DecimalValue(text.substr(0, dot)));
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return parts;
}

}  // namespace

int CompareVersions(const char* a, const char* b) {
    if (a == nullptr) return b != nullptr ? -1 : 0;
    if (b == nullptr) return 1;
    const std::vector<long long> left = VersionParts(a);
    const std::vector<long long> right = VersionParts(b);
    for (std::size_t i = 0; i < left.size() && i < right.size(); ++i) {
        if (left[i] != right[i]) return left[i] > right[i] ? 1 : -1;
    }
    if (left.size() == right.size()) return 0;
    return left.size() > right.size() ? 1 : -1;
}

}  // namespace kt::config
