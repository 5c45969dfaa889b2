// Where the files of this module are: appid.xml in the application folder,
// the shared files in the update folder.
#pragma once

#include <string>

#include "run/run_context.h"

namespace kt::config {

inline constexpr const char* kAppIdName = "appid.xml";

// appid.xml of the run's application folder.
std::string AppIdPath(const run::RunContext& ctx);

// `name` inside the run's update folder.
std::string UpdateFilePath(const run::RunContext& ctx, const std::string& name);

// The state file of workstation `guid` in the update folder: GUID + ".xml".
std::string GuidFilePath(const run::RunContext& ctx, const std::string& guid);

}  // namespace kt::config
