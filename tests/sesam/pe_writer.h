// Builds small Windows program images for the tests: a PE header with a
// time stamp and, on request, a resource section holding a version resource.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kt::test {

struct PeImageRequest {
    std::uint32_t timeStamp = 0;
    // major, minor, build, revision of the fixed file information.
    std::optional<std::array<std::uint16_t, 4>> fileVersion;
    // PE32+ (64-bit) optional header instead of PE32.
    bool pe32Plus = false;
};

std::string BuildPeImage(const PeImageRequest& request);

// Seconds since 1970 (UTC) at noon of that day.
std::uint32_t NoonUtc(int year, int month, int day);

}  // namespace kt::test
