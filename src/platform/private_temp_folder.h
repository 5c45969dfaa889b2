// A scratch folder that belongs to this run alone: a fresh name under the
// temporary folder, created with mode 0700, so that no other local user can
// have prepared it or look into it.
#pragma once

#include <optional>
#include <string>

namespace kt::platform {

// Creates `prefix` + six random characters in the temporary folder; its path
// (without trailing separator), or nothing when it could not be created.
std::optional<std::string> MakePrivateTempFolder(const std::string& prefix);

}  // namespace kt::platform
