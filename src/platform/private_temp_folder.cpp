#include "platform/private_temp_folder.h"

#include <stdlib.h>

#include "platform/system_paths.h"

namespace kt::platform {

std::optional<std::string> MakePrivateTempFolder(const std::string& prefix) {
    std::string base = SystemPaths::TempDir();
    if (base.empty()) return std::nullopt;
    if (base.back() != '/') base += '/';
    std::string pattern = base + prefix + "XXXXXX";
    // mkdtemp picks a name nobody holds and creates it 0700 in one step.
    if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern;
}

}  // namespace kt::platform
