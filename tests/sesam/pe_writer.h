// Small Windows program images: a PE header with a time stamp and, on request, a version resource.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

namespace kt::test {

using FileVersion = std::array<std::uint16_t, 4>;  // major, minor, build, revision

// How the image is laid out, for images that probe the reader's limits.
struct PeShape {
    bool pe32Plus = false;
    std::uint16_t optionalSize = 0;                // 0: the standard 224 (240 for PE32+)
    std::vector<std::uint32_t> rootTypes = {16};   // resource types in the root, at most two
    int declaredTypes = -1;                        // entries the root claims; -1: all of them
};

namespace pe_detail {

// Where the standard PE32 image keeps what the tests patch.
constexpr std::size_t kSectionCountAt = 0x46;
constexpr std::size_t kDirectoryCountAt = 0xB4;
constexpr std::size_t kSectionRawSizeAt = 0x148;
constexpr std::size_t kFileAlignment = 0x200;
constexpr std::uint32_t kResourceRva = 0x1000;
// Inside the resource section: the version information, 92 bytes long.
constexpr std::size_t kVersionInfo = 0x60;
constexpr std::size_t kVersionInfoLength = 40 + 52;

// Little-endian, `bytes` long.
inline void Put(std::string& image, std::size_t at, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

// Root (room for two entries) -> name 1 -> language 0x409 -> data entry -> VS_VERSIONINFO.
inline std::string ResourceSection(const FileVersion& version, const PeShape& shape) {
    constexpr std::size_t kName = 0x20, kLanguage = 0x38, kDataEntry = 0x50, kFixedInfo = kVersionInfo + 40;
    std::string rsrc(kVersionInfo + kVersionInfoLength, '\0');
    const int declared = shape.declaredTypes < 0 ? static_cast<int>(shape.rootTypes.size()) : shape.declaredTypes;
    Put(rsrc, 14, declared, 2);
    for (std::size_t i = 0; i < shape.rootTypes.size(); ++i) {
        Put(rsrc, 16 + 8 * i, shape.rootTypes[i]);
        Put(rsrc, 20 + 8 * i, kName | 0x80000000u);
    }
    const std::tuple<std::size_t, std::uint32_t, int> fields[] = {
        {kName + 14, 1, 2}, {kName + 16, 1, 4}, {kName + 20, kLanguage | 0x80000000u, 4}, {kLanguage + 14, 1, 2},
        {kLanguage + 16, 0x409, 4}, {kLanguage + 20, kDataEntry, 4}, {kDataEntry, kResourceRva + kVersionInfo, 4},
        {kDataEntry + 4, kVersionInfoLength, 4}, {kVersionInfo, kVersionInfoLength, 2}, {kVersionInfo + 2, 52, 2},
        {kFixedInfo, 0xFEEF04BD, 4}, {kFixedInfo + 4, 0x10000, 4},
        {kFixedInfo + 8, std::uint32_t{version[0]} << 16 | version[1], 4},
        {kFixedInfo + 12, std::uint32_t{version[2]} << 16 | version[3], 4}};
    for (const auto& [at, value, bytes] : fields) Put(rsrc, at, value, bytes);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < std::size(key); ++i) Put(rsrc, kVersionInfo + 6 + 2 * i, key[i], 2);
    return rsrc;
}

}  // namespace pe_detail

// A PE image stamped `timeStamp`, with a version resource when `fileVersion` is given.
inline std::string BuildPeImage(std::uint32_t timeStamp, std::optional<FileVersion> fileVersion = std::nullopt,
                                const PeShape& shape = {}) {
    using namespace pe_detail;
    const std::string rsrc = fileVersion ? ResourceSection(*fileVersion, shape) : std::string();
    const std::size_t rawSize = (rsrc.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    std::string image(kFileAlignment + rawSize, '\0');
    std::memcpy(image.data(), "MZ", 2);
    Put(image, 0x3C, 0x40);
    std::memcpy(image.data() + 0x40, "PE\0\0", 4);
    const std::size_t coff = 0x44, optional = coff + 20;
    const std::uint16_t optionalSize = shape.optionalSize ? shape.optionalSize : shape.pe32Plus ? 240 : 224;
    Put(image, coff, shape.pe32Plus ? 0x8664 : 0x14C, 2);
    Put(image, coff + 2, fileVersion ? 1 : 0, 2);
    Put(image, coff + 4, timeStamp);
    Put(image, coff + 16, optionalSize, 2);
    Put(image, optional, shape.pe32Plus ? 0x20B : 0x10B, 2);
    const std::size_t countAt = optional + (shape.pe32Plus ? 108 : 92);
    Put(image, countAt, 16);
    if (!fileVersion) return image;
    Put(image, countAt + 4 + 2 * 8, kResourceRva);
    const std::size_t section = optional + optionalSize;
    std::memcpy(image.data() + section, ".rsrc", 5);
    const std::uint32_t sectionFields[] = {static_cast<std::uint32_t>(rsrc.size()), kResourceRva,
                                           static_cast<std::uint32_t>(rawSize), kFileAlignment};
    for (std::size_t i = 0; i < 4; ++i) Put(image, section + 8 + 4 * i, sectionFields[i]);
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
