#include "run/sesam_pack_state.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace kt::run {
namespace {

bool ContinuesUtf8(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::string SesamPackState::TableVersion(std::size_t index) const {
    const auto* slot = reinterpret_cast<const char*>(block_.data() + index * kTableVersionSlot);
    return std::string(slot, strnlen(slot, kTableVersionSlot));
}

void SesamPackState::SetTableVersion(std::size_t index, std::string_view version) {
    unsigned char* slot = block_.data() + index * kTableVersionSlot;
    std::size_t length = std::min(version.size(), kTableVersionSlot - 1);
    if (length < version.size()) {
        while (length > 0 && ContinuesUtf8(static_cast<unsigned char>(version[length]))) --length;
    }
    std::fill_n(slot, kTableVersionSlot, 0);
    std::memcpy(slot, version.data(), length);
}

void SesamPackState::ClearTableVersions() {
    std::fill_n(block_.data(), kTableCount * kTableVersionSlot, 0);
}

void SesamPackState::ClearSoftwareRecord() { std::fill_n(SoftwareRecord(), kSoftwareRecordSize, 0); }

std::uint32_t SesamPackState::ComponentCount() const { return platform::ReadLe32(block_.data() + kComponentListOffset); }

std::uint32_t SesamPackState::ComponentPosition() const {
    return platform::ReadLe32(block_.data() + kComponentListOffset + 4);
}

void SesamPackState::ClearComponents() {
    std::fill_n(ComponentList(), kComponentListSize, 0);
    componentTable_.fill(0);
}

std::uint32_t SesamPackState::ModulePosition() const { return platform::ReadLe32(ModuleArea() + kModuleEntriesLimit); }

std::uint32_t SesamPackState::ModuleCount() const { return platform::ReadLe32(ModuleArea() + kModuleEntriesLimit + 4); }

void SesamPackState::ClearModuleArea() { std::fill_n(ModuleArea(), kModuleAreaSize, 0); }

}  // namespace kt::run
