#include "platform/folder_tree.h"

#include <cerrno>
#include <filesystem>

namespace kt::platform {
namespace {

namespace fs = std::filesystem;

// Refuses a missing source, makes room for the destination.
std::error_code Prepare(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory);
    if (fs::exists(to, ec)) fs::remove_all(to, ec);
    if (ec) return ec;
    if (to.has_parent_path()) fs::create_directories(to.parent_path(), ec);
    return ec;
}

}  // namespace

std::error_code CopyFolder(const std::string& from, const std::string& to) {
    if (std::error_code ec = Prepare(from, to)) return ec;
    std::error_code ec;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    return ec;
}

std::error_code MoveFolder(const std::string& from, const std::string& to) {
    if (std::error_code ec = Prepare(from, to)) return ec;
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec != std::errc::cross_device_link) return ec;
    // Another file system: the tree is copied whole before its source goes.
    if ((ec = CopyFolder(from, to))) return ec;
    return DeleteFolder(from);
}

std::error_code DeleteFolder(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    // A path through a file names nothing either.
    if (status.type() == fs::file_type::not_found || ec == std::errc::not_a_directory) return {};
    if (ec) return ec;
    fs::remove_all(path, ec);
    return ec;
}

}  // namespace kt::platform
