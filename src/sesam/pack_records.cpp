#include "sesam/pack_records.h"

#include <cstdint>
#include <cstring>

namespace kt::sesam {
namespace {

// The NUL-terminated text at `field`, or nothing when no zero ends it
// within `size` bytes.
std::optional<std::string> FieldText(const unsigned char* field, std::size_t size) {
    const void* end = std::memchr(field, 0, size);
    if (end == nullptr) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(field), static_cast<const unsigned char*>(end) - field);
}

// True when `count` entries of `entrySize` bytes from `position` stay within `limit` bytes.
bool EntriesFit(std::uint32_t position, std::uint32_t count, std::size_t entrySize, std::size_t limit) {
    const std::uint64_t end = std::uint64_t{position} + std::uint64_t{count} * entrySize;
    return end <= limit;
}

void Tell(std::string* problem, std::string text) {
    if (problem != nullptr) *problem = std::move(text);
}

}  // namespace

std::optional<std::string> InstalledSrtVersion(const run::SesamPackState& state, std::string* problem) {
    const unsigned char* record = state.SoftwareRecord();
    auto first = FieldText(record, run::kSoftwareSecondField);
    auto second = FieldText(record + run::kSoftwareSecondField, run::kSoftwareRecordSize - run::kSoftwareSecondField);
    if (!first || !second) {
        Tell(problem, "software record text without terminator");
        return std::nullopt;
    }
    return *first + "." + *second;
}

std::optional<std::vector<TableComponent>> InstalledComponents(const run::SesamPackState& state, std::string* problem) {
    const std::uint32_t count = state.ComponentCount();
    const std::uint32_t position = state.ComponentPosition();
    if (!EntriesFit(position, count, run::kComponentEntrySize, run::kComponentTableSize)) {
        Tell(problem, "component list of " + std::to_string(count) + " entries at " + std::to_string(position) +
                          " exceeds " + std::to_string(run::kComponentTableSize) + " bytes");
        return std::nullopt;
    }
    std::vector<TableComponent> components;
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* entry = state.ComponentTable() + position + std::size_t{i} * run::kComponentEntrySize;
        auto version = FieldText(entry + run::kComponentVersionAt, run::kComponentEntrySize - run::kComponentVersionAt);
        if (!version) {
            Tell(problem, "component " + std::to_string(i) + " version without terminator");
            return std::nullopt;
        }
        components.push_back({static_cast<char>(entry[0]), *version});
    }
    return components;
}

std::optional<std::vector<PackModule>> InstalledModules(const run::SesamPackState& state, std::string* problem) {
    const std::uint32_t count = state.ModuleCount();
    const std::uint32_t position = state.ModulePosition();
    if (!EntriesFit(position, count, run::kModuleEntrySize, run::kModuleEntriesLimit)) {
        Tell(problem, "module list of " + std::to_string(count) + " entries at " + std::to_string(position) +
                          " exceeds " + std::to_string(run::kModuleEntriesLimit) + " bytes");
        return std::nullopt;
    }
    std::vector<PackModule> modules;
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* entry = state.ModuleArea() + position + std::size_t{i} * run::kModuleEntrySize;
        auto id = FieldText(entry, run::kModuleVersionAt);
        auto version = FieldText(entry + run::kModuleVersionAt, run::kModuleEntrySize - run::kModuleVersionAt);
        if (!id || !version) {
            Tell(problem, "module " + std::to_string(i) + " text without terminator");
            return std::nullopt;
        }
        modules.push_back({*id, *version});
    }
    return modules;
}

}  // namespace kt::sesam
