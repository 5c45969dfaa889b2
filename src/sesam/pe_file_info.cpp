#include "sesam/pe_file_info.h"

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "config/calendar_date.h"

namespace kt::sesam {
namespace {

// Pack files are small; a larger file is not one of them.
constexpr std::uintmax_t kMaxImageSize = 256u << 20;
constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

class Image {
public:
    explicit Image(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        if (!Has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        if (!Has(offset, 4)) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[offset + i];
        return value;
    }

private:
    std::vector<unsigned char> bytes_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct Headers {
    std::uint32_t timeStamp = 0;
    std::uint32_t resourceRva = 0;
    std::vector<Section> sections;
};

std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const auto size = static_cast<std::uintmax_t>(in.tellg());
    if (size > kMaxImageSize) return std::nullopt;
    in.seekg(0);
    std::vector<unsigned char> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) return std::nullopt;
    return bytes;
}

// The resource directory's RVA, 0 when the optional header has none.
std::uint32_t ResourceRva(const Image& image, std::uint64_t optional, std::uint16_t optionalSize) {
    const auto magic = image.U16(optional);
    if (!magic || (*magic != 0x10b && *magic != 0x20b)) return 0;
    const std::uint64_t countAt = *magic == 0x10b ? 92 : 108;
    const std::uint64_t resourceEntryAt = countAt + 4 + 2 * 8;
    if (resourceEntryAt + 8 > optionalSize) return 0;
    const auto count = image.U32(optional + countAt);
    if (!count || *count < 3) return 0;
    return image.U32(optional + resourceEntryAt).value_or(0);
}

std::optional<Headers> ReadHeaders(const Image& image) {
    const auto dosMagic = image.U16(0);
    const auto peAt = image.U32(0x3C);
    if (!dosMagic || *dosMagic != 0x5A4D || !peAt) return std::nullopt;
    const auto signature = image.U32(*peAt);
    if (!signature || *signature != 0x00004550) return std::nullopt;
    const std::uint64_t coff = std::uint64_t{*peAt} + 4;
    const auto sectionCount = image.U16(coff + 2);
    const auto timeStamp = image.U32(coff + 4);
    const auto optionalSize = image.U16(coff + 16);
    if (!sectionCount || !timeStamp || !optionalSize) return std::nullopt;
    Headers headers;
    headers.timeStamp = *timeStamp;
    const std::uint64_t optional = coff + 20;
    headers.resourceRva = ResourceRva(image, optional, *optionalSize);
    const std::uint64_t table = optional + *optionalSize;
    for (std::uint16_t i = 0; i < *sectionCount; ++i) {
        const std::uint64_t at = table + std::uint64_t{i} * 40;
        if (!image.Has(at, 40)) break;
        headers.sections.push_back({*image.U32(at + 12), *image.U32(at + 8), *image.U32(at + 16), *image.U32(at + 20)});
    }
    return headers;
}

// The file offset of `length` bytes at `rva`, when one section holds them all.
std::optional<std::uint64_t> FileOffset(const Headers& headers, std::uint32_t rva, std::uint32_t length) {
    for (const Section& section : headers.sections) {
        if (rva < section.virtualAddress) continue;
        const std::uint64_t into = rva - section.virtualAddress;
        if (into + length <= section.rawSize) return std::uint64_t{section.rawOffset} + into;
    }
    return std::nullopt;
}

// The offset (from the resource root) that entry `wanted`, or the first
// entry when `wanted` is empty, of the directory at `directory` points to.
std::optional<std::uint32_t> DirectoryEntry(const Image& image, std::uint64_t directory,
                                            std::optional<std::uint32_t> wanted) {
    const auto named = image.U16(directory + 12);
    const auto ids = image.U16(directory + 14);
    if (!named || !ids) return std::nullopt;
    for (std::uint32_t i = 0; i < std::uint32_t{*named} + *ids; ++i) {
        const std::uint64_t entry = directory + 16 + std::uint64_t{i} * 8;
        const auto name = image.U32(entry);
        const auto target = image.U32(entry + 4);
        if (!name || !target) return std::nullopt;
        if (!wanted || *name == *wanted) return *target;
    }
    return std::nullopt;
}

// File offset and size of the first version resource.
std::optional<std::pair<std::uint64_t, std::uint32_t>> VersionResource(const Image& image, const Headers& headers) {
    if (headers.resourceRva == 0) return std::nullopt;
    const auto root = FileOffset(headers, headers.resourceRva, 16);
    if (!root) return std::nullopt;
    // Type, then name, then language: two directories and a data entry.
    std::uint64_t directory = *root;
    std::optional<std::uint32_t> wanted = kVersionResourceType;
    for (int level = 0; level < 2; ++level) {
        const auto target = DirectoryEntry(image, directory, wanted);
        if (!target || (*target & kSubdirectoryFlag) == 0) return std::nullopt;
        directory = *root + (*target & ~kSubdirectoryFlag);
        wanted.reset();
    }
    const auto leaf = DirectoryEntry(image, directory, std::nullopt);
    if (!leaf || (*leaf & kSubdirectoryFlag) != 0) return std::nullopt;
    const auto dataRva = image.U32(*root + *leaf);
    const auto dataSize = image.U32(*root + *leaf + 4);
    if (!dataRva || !dataSize) return std::nullopt;
    const auto data = FileOffset(headers, *dataRva, *dataSize);
    if (!data) return std::nullopt;
    return std::make_pair(*data, *dataSize);
}

std::optional<std::string> FileVersion(const Image& image, const Headers& headers) {
    const auto resource = VersionResource(image, headers);
    if (!resource) return std::nullopt;
    const auto [at, size] = *resource;
    // VS_VERSIONINFO: length, value length, type, the key, padding to 32
    // bits, then the fixed file information.
    constexpr std::uint64_t keyAt = 6;
    constexpr std::uint64_t keyChars = sizeof kVersionKey / sizeof kVersionKey[0];
    constexpr std::uint64_t fixedAt = (keyAt + keyChars * 2 + 3) / 4 * 4;
    constexpr std::uint64_t fixedSize = 52;
    const auto valueLength = image.U16(at + 2);
    if (size < fixedAt + fixedSize || !image.Has(at, fixedAt + fixedSize)) return std::nullopt;
    if (!valueLength || *valueLength < fixedSize) return std::nullopt;
    for (std::uint64_t i = 0; i < keyChars; ++i) {
        if (image.U16(at + keyAt + 2 * i) != static_cast<std::uint16_t>(kVersionKey[i])) return std::nullopt;
    }
    if (image.U32(at + fixedAt) != kFixedInfoSignature) return std::nullopt;
    const std::uint32_t high = *image.U32(at + fixedAt + 8);
    const std::uint32_t low = *image.U32(at + fixedAt + 12);
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
}

std::string UtcDateText(std::uint32_t secondsSinceEpoch) {
    using namespace std::chrono;
    const year_month_day day{floor<days>(sys_seconds{seconds{secondsSinceEpoch}})};
    return config::DateText(config::CalendarDate{static_cast<int>(static_cast<unsigned>(day.day())),
                                                 static_cast<int>(static_cast<unsigned>(day.month())),
                                                 static_cast<int>(day.year())});
}

}  // namespace

PeFileInfo ReadPeFileInfo(const std::string& path) {
    PeFileInfo info;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return info;
    const Image image(std::move(*bytes));
    const auto headers = ReadHeaders(image);
    if (!headers) return info;
    if (headers->timeStamp != 0) info.linkDate = UtcDateText(headers->timeStamp);
    info.version = FileVersion(image, *headers);
    return info;
}

}  // namespace kt::sesam
