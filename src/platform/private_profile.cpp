#include "platform/private_profile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "platform/system_paths.h"

namespace kt::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Two writes of the same process must not both read the old file and lose
// one change; the kernel's profile functions give the same guarantee.
std::mutex gWriteMutex;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

struct Line {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};

// Blank lines, comments, malformed headers and lines without "=" are Other.
Line ParseLine(std::string_view raw) {
    if (raw.starts_with(kUtf8Bom)) raw.remove_prefix(kUtf8Bom.size());
    const std::string_view text = Trim(raw);
    if (text.empty() || text.front() == ';') return {};
    if (text.front() == '[') {
        const auto close = text.rfind(']');
        if (close == std::string_view::npos) return {};
        return {Line::Kind::Section, Trim(text.substr(1, close - 1)), {}};
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) return {};
    return {Line::Kind::Key, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

struct ProfileText {
    std::vector<std::string> lines;  // without their line ends
    std::string lineEnd = "\n";      // the one the file already uses
};

ProfileText SplitLines(const std::string& content) {
    ProfileText text;
    const auto firstEnd = content.find('\n');
    if (firstEnd != std::string::npos && firstEnd > 0 && content[firstEnd - 1] == '\r') text.lineEnd = "\r\n";
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return text;
}

std::string Join(const ProfileText& text) {
    std::string content;
    for (const auto& line : text.lines) content += line + text.lineEnd;
    return content;
}

std::optional<std::string> ReadContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return content.str();
}

fs::path Resolve(const std::string& file) {
    fs::path path(file);
    if (!path.empty() && !path.has_parent_path()) return fs::path(SystemPaths::WindowsDir()) / path;
    return path;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string> FindValue(std::string_view section, std::string_view key, const std::string& file) {
    const auto content = ReadContent(Resolve(file));
    if (!content) return std::nullopt;
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (const auto& raw : SplitLines(*content).lines) {
        const Line line = ParseLine(raw);
        if (line.kind == Line::Kind::Section) {
            if (inSection) return std::nullopt;
            inSection = SameName(line.name, section);
        } else if (line.kind == Line::Kind::Key && inSection && SameName(line.name, key)) {
            return std::string(Unquote(line.value));
        }
    }
    return std::nullopt;
}

// At most size - 1 characters; a UTF-8 sequence is never split.
std::string CutToFit(std::string_view text, std::size_t size) {
    if (size == 0) return {};
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters == size) return std::string(text.substr(0, i));
    }
    return std::string(text);
}

bool IsStorable(std::string_view section, std::string_view key, std::string_view value) {
    constexpr std::string_view kLineBreaks("\r\n\0", 3);
    for (std::string_view text : {section, key, value})
        if (text.find_first_of(kLineBreaks) != std::string_view::npos) return false;
    return !key.empty() && key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

void SetValue(ProfileText& text, std::string_view section, std::string_view key, std::string_view value) {
    // Once the section is found: its last line that is not blank.
    std::optional<std::size_t> lastInSection;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const Line line = ParseLine(text.lines[i]);
        if (line.kind == Line::Kind::Section) {
            if (lastInSection) break;
            if (SameName(line.name, section)) lastInSection = i;
        } else if (lastInSection) {
            if (line.kind == Line::Kind::Key && SameName(line.name, key)) {
                text.lines[i] = std::string(line.name) + "=" + std::string(value);
                return;
            }
            if (!Trim(text.lines[i]).empty()) lastInSection = i;
        }
    }
    std::string entry = std::string(key) + "=" + std::string(value);
    if (lastInSection) {
        text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(*lastInSection + 1), std::move(entry));
        return;
    }
    if (!text.lines.empty() && !Trim(text.lines.back()).empty()) text.lines.emplace_back();
    // Appended piece by piece: "[" + a temporary trips a false -Wrestrict of GCC 12 at -O3.
    std::string header = "[";
    header.append(section).append("]");
    text.lines.push_back(std::move(header));
    text.lines.push_back(std::move(entry));
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t size, const std::string& file) {
    if (const auto value = FindValue(section, key, file)) return CutToFit(*value, size);
    const auto end = defaultValue.find_last_not_of(' ');
    return CutToFit(defaultValue.substr(0, end == std::string_view::npos ? 0 : end + 1), size);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue, const std::string& file) {
    const auto value = FindValue(section, key, file);
    if (!value || value->empty()) return defaultValue;
    std::size_t i = 0;
    const bool negative = (*value)[0] == '-';
    if (negative || (*value)[0] == '+') ++i;
    // Wraps around on overflow, as the kernel's conversion does.
    std::uint32_t number = 0;
    for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i)
        number = number * 10u + static_cast<std::uint32_t>((*value)[i] - '0');
    if (negative) number = 0u - number;
    return static_cast<int>(static_cast<std::int32_t>(number));
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& file) {
    section = Trim(section);
    key = Trim(key);
    if (!IsStorable(section, key, value)) return false;
    const fs::path path = Resolve(file);
    std::lock_guard lock(gWriteMutex);
    // Other processes (another run, the pack's own programs through this
    // code) read and rewrite the same file: without a lock that holds across
    // processes, two writers could both read the old file and one change be lost.
    const auto fileLock = FileLock::Beside(path.string());
    if (!fileLock) return false;
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    if (ec) return false;
    std::string content;
    if (exists) {
        auto read = ReadContent(path);
        if (!read) return false;
        content = std::move(*read);
    }
    ProfileText text = SplitLines(content);
    SetValue(text, section, key, value);
    // Other workstations' programs read these files: they must never see half of one.
    return static_cast<bool>(ReplaceFileAtomically(path.string(), Join(text)));
}

}  // namespace kt::platform
