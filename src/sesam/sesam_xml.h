// sesam.xml in the update folder: it lists the folders of the CCAM tables
// shared on the network, and exists while tables are shared.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "sesam/table_set.h"
#include "run/run_context.h"

namespace kt::sesam {

inline constexpr const char* kSesamXmlName = "sesam.xml";
// Texts are read with at most this many characters.
inline constexpr std::size_t kSesamXmlTextLength = 260;

// sesam.xml of the run's update folder.
std::string SesamXmlPath(const run::RunContext& ctx);

// The shared set: the COMMUN, SSV, SRT and STS texts under Sesam (empty
// when one is missing); nothing when the file does not exist.
[[nodiscard]] std::optional<TableSet> ReadSharedTableSet(const std::string& path);

}  // namespace kt::sesam
