// Whole folder trees copied, moved and deleted, as the shell's folder
// operations do for the module: nothing asked, nothing shown.
#pragma once

#include <string>
#include <system_error>

namespace kt::platform {

// Copies the tree `from` to `to`, which is replaced when it exists; its
// parent folders are created. Refused (an error, nothing changed) when `from`
// is not a folder. Returns the error, empty on success.
std::error_code CopyFolder(const std::string& from, const std::string& to);

// Moves the tree `from` to `to` in the same way: a rename, or across file
// systems a copy followed by the deletion of `from`.
std::error_code MoveFolder(const std::string& from, const std::string& to);

// Deletes the tree; a missing one is no error.
std::error_code DeleteFolder(const std::string& path);

}  // namespace kt::platform
