#include "platform/private_temp_folder.h"

#include <stdlib.h>

#include "platform/folder_tree.h"
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

RunTempFolder::~RunTempFolder() {
    if (!path_.empty()) static_cast<void>(DeleteFolder(path_));
}

const std::string& RunTempFolder::Path() {
    if (path_.empty()) path_ = MakePrivateTempFolder(prefix_).value_or("");
    return path_;
}

std::string RunTempFolder::FilePath(const std::string& name) {
    const std::string& folder = Path();
    return folder.empty() ? std::string() : folder + "/" + name;
}

}  // namespace kt::platform
