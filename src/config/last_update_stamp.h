// Stamping the date of the last update run.
#pragma once

#include <ctime>
#include <string>

#include "run/run_context.h"

namespace kt::config {

// Writes today's date as the LastUpdate text of appid.xml and of this
// workstation's GUID.xml. Returns 1 when both were written, else 0.
int SetLastUpdate(run::RunContext& ctx, const std::string& guid);
int SetLastUpdate(run::RunContext& ctx, const std::string& guid, const std::tm& today);

}  // namespace kt::config
