// Reading what the card-reader library wrote into the pack state. Nothing
// the library wrote is trusted: an entry count that reaches past the memory
// lent to it, or a text without its terminating zero inside its field,
// makes the whole record unusable instead of being read past its end.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/sesam_pack_state.h"

namespace kt::sesam {

struct TableComponent {
    char type = 0;
    std::string version;
};

struct PackModule {
    std::string id;
    std::string version;
};

// The installed SRT version, "first field.second field" of the software
// record. Nothing when a field has no terminator; `problem` then says why.
[[nodiscard]] std::optional<std::string> InstalledSrtVersion(const run::SesamPackState& state, std::string* problem = nullptr);

// The table components the library listed.
[[nodiscard]] std::optional<std::vector<TableComponent>> InstalledComponents(const run::SesamPackState& state,
                                                               std::string* problem = nullptr);

// The modules the library listed in the module area.
[[nodiscard]] std::optional<std::vector<PackModule>> InstalledModules(const run::SesamPackState& state, std::string* problem = nullptr);

}  // namespace kt::sesam
