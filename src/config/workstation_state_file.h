// GUID.xml: the state file a workstation publishes in the shared update
// folder, named after its GUID, so that the other workstations know its
// version, its Sesam Vitale pack and whether it downloads for everyone.
#pragma once

#include <string>

#include "run/run_context.h"

namespace kt::config {

// Rewrites GUID + ".xml" in the update folder whole. An empty version,
// Sesam version or date leaves its element empty. Returns 1, or 0 when the
// file could not be written (logged; the old file stays whole).
int UpdateConfXML(run::RunContext& ctx, const std::string& guid, const std::string& version,
                  const std::string& lastUpdate, const std::string& compatVersion, const std::string& type,
                  const std::string& sesamVersion, const std::string& shared);

}  // namespace kt::config
