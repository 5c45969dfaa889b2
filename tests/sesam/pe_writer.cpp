#include "pe_writer.h"

#include <chrono>
#include <cstring>

namespace kt::test {
namespace {

constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kResourceRva = 0x1000;

void Put16(std::string& image, std::size_t at, std::uint16_t value) {
    image[at] = static_cast<char>(value & 0xFF);
    image[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& image, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

// Resource tree: type 16 -> name 1 -> language 0x409 -> data entry -> VS_VERSIONINFO.
std::string ResourceSection(const std::array<std::uint16_t, 4>& version) {
    constexpr std::size_t kDataEntry = 0x48;
    constexpr std::size_t kVersionInfo = 0x58;
    constexpr std::size_t kFixedInfo = kVersionInfo + 40;
    constexpr std::size_t kInfoLength = 40 + 52;
    std::string rsrc(kVersionInfo + kInfoLength, '\0');
    const std::size_t directories[] = {0x00, 0x18, 0x30};
    const std::uint32_t ids[] = {16, 1, 0x409};
    for (int level = 0; level < 3; ++level) {
        Put16(rsrc, directories[level] + 14, 1);
        Put32(rsrc, directories[level] + 16, ids[level]);
        const bool leaf = level == 2;
        Put32(rsrc, directories[level] + 20,
              leaf ? kDataEntry : static_cast<std::uint32_t>(directories[level + 1]) | 0x80000000u);
    }
    Put32(rsrc, kDataEntry, kResourceRva + kVersionInfo);
    Put32(rsrc, kDataEntry + 4, kInfoLength);
    Put16(rsrc, kVersionInfo, kInfoLength);
    Put16(rsrc, kVersionInfo + 2, 52);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < std::size(key); ++i) Put16(rsrc, kVersionInfo + 6 + 2 * i, key[i]);
    Put32(rsrc, kFixedInfo, 0xFEEF04BD);
    Put32(rsrc, kFixedInfo + 4, 0x10000);
    Put32(rsrc, kFixedInfo + 8, std::uint32_t{version[0]} << 16 | version[1]);
    Put32(rsrc, kFixedInfo + 12, std::uint32_t{version[2]} << 16 | version[3]);
    return rsrc;
}

}  // namespace

std::string BuildPeImage(const PeImageRequest& request) {
    const std::string rsrc = request.fileVersion ? ResourceSection(*request.fileVersion) : std::string();
    const std::uint32_t rawSize = (static_cast<std::uint32_t>(rsrc.size()) + kFileAlignment - 1) / kFileAlignment *
                                  kFileAlignment;
    std::string image(kFileAlignment + rawSize, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, kPeOffset);
    std::memcpy(image.data() + kPeOffset, "PE\0\0", 4);
    const std::size_t coff = kPeOffset + 4;
    const std::uint16_t optionalSize = request.pe32Plus ? 240 : 224;
    Put16(image, coff, request.pe32Plus ? 0x8664 : 0x14C);
    Put16(image, coff + 2, request.fileVersion ? 1 : 0);
    Put32(image, coff + 4, request.timeStamp);
    Put16(image, coff + 16, optionalSize);
    Put16(image, coff + 18, 0x2102);
    const std::size_t optional = coff + 20;
    Put16(image, optional, request.pe32Plus ? 0x20B : 0x10B);
    const std::size_t countAt = optional + (request.pe32Plus ? 108 : 92);
    Put32(image, countAt, 16);
    if (!request.fileVersion) return image.substr(0, kFileAlignment);
    Put32(image, countAt + 4 + 2 * 8, kResourceRva);
    Put32(image, countAt + 4 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = optional + optionalSize;
    std::memcpy(image.data() + section, ".rsrc", 5);
    Put32(image, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    Put32(image, section + 12, kResourceRva);
    Put32(image, section + 16, rawSize);
    Put32(image, section + 20, kFileAlignment);
    std::memcpy(image.data() + kFileAlignment, rsrc.data(), rsrc.size());
    return image;
}

std::uint32_t NoonUtc(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    return static_cast<std::uint32_t>((date.time_since_epoch() + hours{12}) / seconds{1});
}

}  // namespace kt::test
