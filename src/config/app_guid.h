// This workstation's GUID, kept in appid.xml.
#pragma once

#include <cstddef>
#include <string>

#include "config/workstation_guid.h"
#include "run/run_context.h"

namespace kt::config {

// 1 with the GUID of appid.xml (at most `size` characters) in `out`. Without
// appid.xml, or with one that holds no Workstation element (which is then
// deleted), a new GUID is made; 0 when that fails. Writing the new GUID to
// appid.xml is left to the caller (CreateDefaultConfig).
int GetAppFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size);
int GetAppFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size, const GuidSource& source);

}  // namespace kt::config
