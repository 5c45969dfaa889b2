#include "download/progress_text.h"

#include <climits>
#include <cstdio>

#include "strings/string_table.h"

namespace kt::download {
namespace {

constexpr int kOf = 1085;
constexpr int kSeconds = 1086;
constexpr int kMinutes = 1087;
constexpr int kMinutesSeconds = 1088;
constexpr int kBytes = 1089;
constexpr int kKilobytes = 1090;
constexpr int kMegabytes = 1091;
constexpr int kCopied = 1092;
constexpr int kBytesPerSecond = 1093;
constexpr int kKilobytesPerSecond = 1094;
constexpr int kRemaining = 1095;
constexpr int kSpeed = 1096;

std::string Number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Format(int id, std::initializer_list<std::string> args) {
    return strings::FormatString(strings::LoadString(id), args);
}

std::string OneSize(std::uint64_t bytes) {
    if (bytes < 1024) return Format(kBytes, {std::to_string(bytes)});
    if (bytes < 1048576) return Format(kKilobytes, {Number("%0.1f", static_cast<double>(bytes) / 1024)});
    return Format(kMegabytes, {Number("%0.2f", static_cast<double>(bytes) / 1048576)});
}

int Clamp(std::uint64_t kilobytes) { return kilobytes > INT_MAX ? INT_MAX : static_cast<int>(kilobytes); }

}  // namespace

std::string SizeText(std::uint64_t bytes, std::uint64_t total) {
    if (total == 0) return OneSize(bytes);
    return Format(kOf, {OneSize(bytes), OneSize(total)});
}

std::string SpeedText(double rate) {
    if (rate < 1.0) return Format(kBytesPerSecond, {Number("%0.0f", rate * 1024)});
    if (rate < 10.0) return Format(kKilobytesPerSecond, {Number("%0.2f", rate)});
    return Format(kKilobytesPerSecond, {Number("%0.0f", rate)});
}

std::string SpeedLine(double rate) { return strings::LoadString(kSpeed) + SpeedText(rate); }

std::string RemainingTimeText(std::uint64_t seconds) {
    if (seconds < 60) return Format(kSeconds, {std::to_string(seconds)});
    const std::uint64_t minutes = seconds / 60;
    const std::uint64_t rest = seconds % 60;
    if (rest != 0) return Format(kMinutesSeconds, {std::to_string(minutes), std::to_string(rest)});
    return Format(kMinutes, {std::to_string(minutes)});
}

std::string RemainingLine(std::uint64_t seconds, const std::string& sizeText) {
    return strings::LoadString(kRemaining) + Format(kCopied, {RemainingTimeText(seconds), sizeText});
}

int ProgressRange(std::uint64_t bytes) { return Clamp((bytes + 512) >> 10); }

int ProgressPosition(std::uint64_t bytes) { return Clamp(bytes >> 10); }

}  // namespace kt::download
