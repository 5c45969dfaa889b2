#include "download/package_name_check.h"

#include <algorithm>

namespace kt::download {
namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasDrivePrefix(const std::string& text) {
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

}  // namespace

bool IsItemField(const std::string& value) {
    return std::none_of(value.begin(), value.end(), [](char c) { return c == ';' || IsControl(c); });
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (HasDrivePrefix(name)) return false;
    return IsItemField(name) && std::none_of(name.begin(), name.end(), IsSeparator);
}

bool IsContainedLocation(const std::string& location) {
    if (!IsItemField(location) || HasDrivePrefix(location)) return false;
    if (!location.empty() && IsSeparator(location.front())) return false;
    std::string::size_type start = 0;
    while (start <= location.size()) {
        std::string::size_type end = start;
        while (end < location.size() && !IsSeparator(location[end])) ++end;
        if (location.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

std::string LocationPath(const std::string& location) {
    std::string path = location;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace kt::download

namespace kt::download {

bool IsSafePackage(const std::string& location, const std::string& name,
                   std::initializer_list<std::string> itemFields) {
    return IsPlainFileName(name) && IsContainedLocation(location) &&
           std::all_of(itemFields.begin(), itemFields.end(), IsItemField);
}

}  // namespace kt::download
