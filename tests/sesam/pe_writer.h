// Builds small Windows program images for the tests: a PE header with a
// time stamp and, on request, a resource section holding a version resource.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace kt::test {

using FileVersion = std::array<std::uint16_t, 4>;  // major, minor, build, revision

namespace pe_detail {

constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kResourceRva = 0x1000;

// Little-endian, `bytes` long.
inline void Put(std::string& image, std::size_t at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

// Resource tree: type 16 -> name 1 -> language 0x409 -> data entry -> VS_VERSIONINFO.
inline std::string ResourceSection(const FileVersion& version) {
    constexpr std::size_t kDataEntry = 0x48;
    constexpr std::size_t kVersionInfo = 0x58;
    constexpr std::size_t kFixedInfo = kVersionInfo + 40;
    constexpr std::size_t kInfoLength = 40 + 52;
    std::string rsrc(kVersionInfo + kInfoLength, '\0');
    const std::size_t directories[] = {0x00, 0x18, 0x30};
    const std::uint32_t ids[] = {16, 1, 0x409};
    for (int level = 0; level < 3; ++level) {
        Put(rsrc, directories[level] + 14, 1, 2);
        Put(rsrc, directories[level] + 16, ids[level]);
        const bool leaf = level == 2;
        Put(rsrc, directories[level] + 20,
              leaf ? kDataEntry : static_cast<std::uint32_t>(directories[level + 1]) | 0x80000000u);
    }
    Put(rsrc, kDataEntry, kResourceRva + kVersionInfo);
    Put(rsrc, kDataEntry + 4, kInfoLength);
    Put(rsrc, kVersionInfo, kInfoLength, 2);
    Put(rsrc, kVersionInfo + 2, 52, 2);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < std::size(key); ++i) Put(rsrc, kVersionInfo + 6 + 2 * i, key[i], 2);
    Put(rsrc, kFixedInfo, 0xFEEF04BD);
    Put(rsrc, kFixedInfo + 4, 0x10000);
    Put(rsrc, kFixedInfo + 8, std::uint32_t{version[0]} << 16 | version[1]);
    Put(rsrc, kFixedInfo + 12, std::uint32_t{version[2]} << 16 | version[3]);
    return rsrc;
}

}  // namespace pe_detail

// A PE32 image (PE32+ with `pe32Plus`) stamped `timeStamp`, with a version
// resource when `fileVersion` is given.
inline std::string BuildPeImage(std::uint32_t timeStamp, std::optional<FileVersion> fileVersion = std::nullopt,
                                bool pe32Plus = false) {
    using namespace pe_detail;
    const std::string rsrc = fileVersion ? ResourceSection(*fileVersion) : std::string();
    const std::uint32_t rawSize = (static_cast<std::uint32_t>(rsrc.size()) + kFileAlignment - 1) / kFileAlignment *
                                  kFileAlignment;
    std::string image(kFileAlignment + rawSize, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put(image, 0x3C, kPeOffset);
    std::memcpy(image.data() + kPeOffset, "PE\0\0", 4);
    const std::size_t coff = kPeOffset + 4;
    const std::uint16_t optionalSize = pe32Plus ? 240 : 224;
    Put(image, coff, pe32Plus ? 0x8664 : 0x14C, 2);
    Put(image, coff + 2, fileVersion ? 1 : 0, 2);
    Put(image, coff + 4, timeStamp);
    Put(image, coff + 16, optionalSize, 2);
    Put(image, coff + 18, 0x2102, 2);
    const std::size_t optional = coff + 20;
    Put(image, optional, pe32Plus ? 0x20B : 0x10B, 2);
    const std::size_t countAt = optional + (pe32Plus ? 108 : 92);
    Put(image, countAt, 16);
    if (!fileVersion) return image;
    Put(image, countAt + 4 + 2 * 8, kResourceRva);
    Put(image, countAt + 4 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = optional + optionalSize;
    std::memcpy(image.data() + section, ".rsrc", 5);
    Put(image, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    Put(image, section + 12, kResourceRva);
    Put(image, section + 16, rawSize);
    Put(image, section + 20, kFileAlignment);
    std::memcpy(image.data() + kFileAlignment, rsrc.data(), rsrc.size());
    return image;
}

// Seconds since 1970 (UTC) at noon of that day.
inline std::uint32_t NoonUtc(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    return static_cast<std::uint32_t>((date.time_since_epoch() + hours{12}) / seconds{1});
}

}  // namespace kt::test
