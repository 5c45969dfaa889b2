// The versions the critical run compares: the one this workstation has
// installed, the lowest one the other workstations' data requires, and
// whether the packages already in the update folder lead from one to the
// other.
#pragma once

#include <string>

#include "run/run_context.h"

namespace kt::update {

// The highest compatibility version published by the other workstations
// (every "{*.xml" file of the update folder but `ownGuid`'s, whatever the
// letter case). Values of one character or less are ignored; empty when
// none is left.
std::string MinimumVersion(run::RunContext& ctx, const std::string& ownGuid);

// The version this workstation published in its own state file; empty when
// the file or its Version is missing.
std::string InstalledVersion(run::RunContext& ctx, const std::string& ownGuid);

// True when files.xml holds a chain of packages from `installed` up to
// `minimum`. A chain that comes back to a version, or that takes more steps
// than files.xml has packages, leads nowhere.
bool ReachesInReadyChain(run::RunContext& ctx, const std::string& installed, const std::string& minimum);

}  // namespace kt::update
