// The check at the start of every run that appid.xml is usable and holds
// the versions of the running application: where an upgrade done by the
// installer becomes visible in appid.xml and GUID.xml.
#pragma once

#include <ctime>
#include <string>

#include "run/run_context.h"

namespace kt::config {

// 0 when appid.xml is missing or has no Workstation or Version element.
// Otherwise publishes the stored state in GUID.xml, corrects the stored
// versions to the running ones when they differ (publishing again), and
// returns 1.
int IsAppConfig(run::RunContext& ctx, const std::string& guid);
int IsAppConfig(run::RunContext& ctx, const std::string& guid, const std::tm& today);

}  // namespace kt::config
