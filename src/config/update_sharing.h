// Sharing downloaded updates between the workstations of a practice: one
// workstation downloads into the shared update folder, the others learn
// from files.xml that packages wait for them, and from the workstation
// files that someone already downloads for everyone.
#pragma once

#include <cstddef>
#include <string>

#include "run/run_context.h"

namespace kt::config {

// 1 when files.xml of the update folder holds a package this workstation
// should install: the step from its version, a pack update newer than its
// Sesam Vitale pack, or a complete pack when it has none.
[[nodiscard]] int IsAnyUpdateOnNetwork(run::RunContext& ctx);

// 1 with the new version of the package in files.xml that upgrades
// `version` (at most `size` characters) in `newVersion`, else 0.
[[nodiscard]] int FindNextUpdFile(run::RunContext& ctx, const std::string& version, std::string* newVersion, std::size_t size);

// The number of host-version packages (File entries) in files.xml; 0 when
// it is missing or unusable. No chain of packages has more steps.
[[nodiscard]] std::size_t CountUpdFiles(run::RunContext& ctx);

// 1 when the state file of another workstation (any file but `ownGuid`'s,
// whatever its letter case) says that it downloads and shares.
[[nodiscard]] int CheckUpdateType(run::RunContext& ctx, const std::string& ownGuid);

}  // namespace kt::config
