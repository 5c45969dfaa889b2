// The Sesam Vitale pack state block: 9,859 packed bytes that the pack check
// and the card-reader probe fill, and that the installer receives byte for
// byte. Offsets are fixed by that hand-over; numbers are little-endian.
//
//      0  11 x 15  Version texts of the package's tables, NUL-terminated,
//                  in the order of kTableNames
//    165  247      software record (card-reader function 22)
//    412  4        number of installed table components (function 23)
//    416  4        position of the first component entry in the component
//                  table, in bytes
//    420  9,439    module area (function 14); its last 8 bytes (block
//                  offsets 9,851 and 9,855) hold the position of the first
//                  module entry, in bytes from the start of the area, and
//                  the number of entries
//
// The 4-byte slots that held memory addresses on 32-bit systems hold
// positions here: an address does not fit, and a position lets the module
// check every entry against the bounds of the memory it lent the library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kt::run {

inline constexpr std::size_t kPackStateSize = 9859;

inline constexpr std::size_t kTableCount = 11;
inline constexpr std::size_t kTableVersionSlot = 15;
inline constexpr std::array<const char*, kTableCount> kTableNames = {
    "Script", "SMC", "SSP", "SSV", "SRT", "STS", "CMU", "A8", "CTIP", "FFSA", "FNMF"};

inline constexpr std::size_t kSoftwareRecordOffset = kTableCount * kTableVersionSlot;
inline constexpr std::size_t kSoftwareRecordSize = 247;
// The record's second text field, the SRT release, starts here.
inline constexpr std::size_t kSoftwareSecondField = 236;

inline constexpr std::size_t kComponentListOffset = kSoftwareRecordOffset + kSoftwareRecordSize;
inline constexpr std::size_t kComponentListSize = 8;
inline constexpr std::size_t kComponentEntrySize = 224;
// The version text of a component entry starts here; its first byte is the type.
inline constexpr std::size_t kComponentVersionAt = 7;
// Room lent to the library for component entries (not handed to the installer).
inline constexpr std::size_t kComponentTableCapacity = 64;
inline constexpr std::size_t kComponentTableSize = kComponentTableCapacity * kComponentEntrySize;

inline constexpr std::size_t kModuleAreaOffset = kComponentListOffset + kComponentListSize;
inline constexpr std::size_t kModuleAreaSize = 9439;
inline constexpr std::size_t kModuleTrailerSize = 8;
// Entries may only lie in the area before its trailer.
inline constexpr std::size_t kModuleEntriesLimit = kModuleAreaSize - kModuleTrailerSize;
inline constexpr std::size_t kModuleEntrySize = 136;
inline constexpr std::size_t kModuleVersionAt = 85;

static_assert(kSoftwareRecordOffset == 165);
static_assert(kComponentListOffset == 412);
static_assert(kModuleAreaOffset == 420);
static_assert(kModuleAreaOffset + kModuleEntriesLimit == 9851);
static_assert(kModuleAreaOffset + kModuleAreaSize == kPackStateSize);

class SesamPackState {
public:
    using Block = std::array<unsigned char, kPackStateSize>;

    const Block& Bytes() const { return block_; }

    // The Version text kept for table `index` of kTableNames.
    std::string TableVersion(std::size_t index) const;
    // Keeps at most 14 bytes, never cutting a UTF-8 character.
    void SetTableVersion(std::size_t index, std::string_view version);
    void ClearTableVersions();

    unsigned char* SoftwareRecord() { return block_.data() + kSoftwareRecordOffset; }
    const unsigned char* SoftwareRecord() const { return block_.data() + kSoftwareRecordOffset; }
    void ClearSoftwareRecord();

    // The 8 bytes the library fills with the component count and position.
    unsigned char* ComponentList() { return block_.data() + kComponentListOffset; }
    std::uint32_t ComponentCount() const;
    std::uint32_t ComponentPosition() const;
    unsigned char* ComponentTable() { return componentTable_.data(); }
    const unsigned char* ComponentTable() const { return componentTable_.data(); }
    // Clears the count, the position and the entries.
    void ClearComponents();

    unsigned char* ModuleArea() { return block_.data() + kModuleAreaOffset; }
    const unsigned char* ModuleArea() const { return block_.data() + kModuleAreaOffset; }
    std::uint32_t ModulePosition() const;
    std::uint32_t ModuleCount() const;
    void ClearModuleArea();

private:
    Block block_{};
    std::array<unsigned char, kComponentTableSize> componentTable_{};
};

}  // namespace kt::run
