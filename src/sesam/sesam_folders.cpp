#include "sesam/sesam_folders.h"

#include <filesystem>

#include "platform/system_paths.h"

namespace kt::sesam {
namespace {

std::string WithSeparator(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace

std::string LocalSesamFolder() { return WithSeparator(platform::SystemPaths::ProgramFiles()) + kSesamFolderName; }

TableSet LocalTableSet() {
    const std::string root = LocalSesamFolder() + "/";
    return TableSet{root + "ADM", root + "SSV", root + "SRT", root + "STS"};
}

std::string SesamFolderIn(const std::string& directory) {
    return WithSeparator(directory) + kSesamFolderName + "/";
}

int CreateSesamFolder(const std::string& directory) {
    const std::string folder = SesamFolderIn(directory);
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    return !ec && std::filesystem::is_directory(folder, ec) ? 1 : 0;
}

}  // namespace kt::sesam
