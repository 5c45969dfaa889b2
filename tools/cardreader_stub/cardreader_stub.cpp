// A stand-in for the card-reader library ktbtt32, for tests and the demo.
// Its answers come from the file named by KT_CARDREADER_STUB_SCRIPT, one
// directive a line ("#" starts a comment):
//
//   status 22|23|14 N [N ...]   status of that function (default 0); for 14
//                               successive calls take the values in turn,
//                               the last one repeating
//   software TEXT TEXT          the two text fields of the software record
//   component TYPE VERSION      one table component
//   module ID VERSION           one module
//   component_count N, component_position N, module_count N,
//   module_position N           numbers written instead of the true ones
//
// A text longer than its field is written without terminator, and entries
// that do not fit are left out while the count still claims them: that is
// how a test makes the library give a record the module must refuse. The
// stand-in never writes outside the memory it is lent.
//
// Every call is appended to the script's name + ".calls", one line each.
// Built with KTBTT_WITHOUT_<n>, the function of ordinal n is left out.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sesam/card_reader_abi.h"
#include "platform/little_endian.h"
#include "run/sesam_pack_state.h"

namespace {

using kt::platform::WriteLe32;

struct Entry {
    std::string first;
    std::string second;
};

struct Script {
    std::uint32_t status22 = 0;
    std::uint32_t status23 = 0;
    std::vector<std::uint32_t> status14{0};
    Entry software;
    std::vector<Entry> components;
    std::vector<Entry> modules;
    std::optional<std::uint32_t> componentCount, componentPosition, moduleCount, modulePosition;
};

std::string ScriptPath() {
    const char* path = std::getenv("KT_CARDREADER_STUB_SCRIPT");
    return path != nullptr ? path : "";
}

std::uint32_t Number(const std::string& word) { return static_cast<std::uint32_t>(std::strtoul(word.c_str(), nullptr, 0)); }

void ReadLine(Script& script, std::istringstream& line) {
    std::string directive, a, b;
    line >> directive >> a >> b;
    if (directive == "status" && a == "22") script.status22 = Number(b);
    if (directive == "status" && a == "23") script.status23 = Number(b);
    if (directive == "status" && a == "14") {
        script.status14 = {Number(b)};
        for (std::string more; line >> more;) script.status14.push_back(Number(more));
    }
    if (directive == "software") script.software = {a, b};
    if (directive == "component") script.components.push_back({a, b});
    if (directive == "module") script.modules.push_back({a, b});
    if (directive == "component_count") script.componentCount = Number(a);
    if (directive == "component_position") script.componentPosition = Number(a);
    if (directive == "module_count") script.moduleCount = Number(a);
    if (directive == "module_position") script.modulePosition = Number(a);
}

Script LoadScript() {
    Script script;
    std::ifstream in(ScriptPath());
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream line(text);
        ReadLine(script, line);
    }
    return script;
}

void Record(const std::string& call) {
    const std::string path = ScriptPath();
    if (path.empty()) return;
    std::ofstream(path + ".calls", std::ios::app) << call << "\n";
}

[[maybe_unused]] int CallsSoFar(const std::string& name) {
    std::ifstream in(ScriptPath() + ".calls");
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line == name;
    return count;
}

// Copies `text` into a field of `size` bytes; the terminator only when it fits.
void PutText(unsigned char* field, std::size_t size, const std::string& text) {
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size);
}

void PutEntries(unsigned char* region, std::size_t regionSize, std::uint32_t position, const std::vector<Entry>& entries,
                std::size_t entrySize, std::size_t secondAt, bool typeOnly) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::uint64_t at = std::uint64_t{position} + i * entrySize;
        if (at + entrySize > regionSize) break;
        unsigned char* entry = region + at;
        if (typeOnly) entry[0] = static_cast<unsigned char>(entries[i].first.empty() ? 0 : entries[i].first[0]);
        else PutText(entry, secondAt, entries[i].first);
        PutText(entry + secondAt, entrySize - secondAt, entries[i].second);
    }
}

}  // namespace

extern "C" {

#ifndef KTBTT_WITHOUT_22
__attribute__((visibility("default"))) uint32_t ktbtt_22(void*, unsigned char* record) {
    Record("ktbtt_22");
    const Script script = LoadScript();
    PutText(record, kt::run::kSoftwareSecondField, script.software.first);
    PutText(record + kt::run::kSoftwareSecondField, kt::run::kSoftwareRecordSize - kt::run::kSoftwareSecondField,
            script.software.second);
    return script.status22;
}
#endif

#ifndef KTBTT_WITHOUT_23
__attribute__((visibility("default"))) uint32_t ktbtt_23(void*, unsigned char* list, unsigned char* table,
                                                         uint32_t tableSize) {
    Record("ktbtt_23");
    const Script script = LoadScript();
    const std::uint32_t position = script.componentPosition.value_or(0);
    PutEntries(table, tableSize, position, script.components, kt::run::kComponentEntrySize,
               kt::run::kComponentVersionAt, true);
    WriteLe32(list, script.componentCount.value_or(static_cast<std::uint32_t>(script.components.size())));
    WriteLe32(list + 4, position);
    return script.status23;
}
#endif

#ifndef KTBTT_WITHOUT_14
__attribute__((visibility("default"))) uint32_t ktbtt_14(void*, unsigned char* area, char* text, uint32_t textSize) {
    const int call = CallsSoFar("ktbtt_14");
    Record("ktbtt_14");
    const Script script = LoadScript();
    const std::uint32_t status =
        script.status14[static_cast<std::size_t>(call) < script.status14.size() ? call : script.status14.size() - 1];
    if ((status & 0xFFFF) != 0) {
        std::snprintf(text, textSize, "lecteur absent");
        return status;
    }
    const std::uint32_t position = script.modulePosition.value_or(0);
    PutEntries(area, kt::run::kModuleEntriesLimit, position, script.modules, kt::run::kModuleEntrySize,
               kt::run::kModuleVersionAt, false);
    WriteLe32(area + kt::run::kModuleEntriesLimit, position);
    WriteLe32(area + kt::run::kModuleEntriesLimit + 4,
              script.moduleCount.value_or(static_cast<std::uint32_t>(script.modules.size())));
    return status;
}
#endif

#ifndef KTBTT_WITHOUT_2
__attribute__((visibility("default"))) uint32_t ktbtt_2(void*, uint32_t status, int32_t, int32_t, int32_t mode) {
    Record("ktbtt_2 status=" + std::to_string(status) + " mode=" + std::to_string(mode));
    return 0;
}
#endif

}  // extern "C"
