// Replacing a file so that nobody ever sees it half written: files that other
// workstations read, and the configuration that a crash must not lose.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace kt::platform {

// Writes `content` to a new file in the folder of `path`, flushes it to the
// disk and renames it over `path`. A reader sees the old file or the new one
// whole; on failure the old file is left as it was. The new file keeps the
// permissions of the one it replaces. Returns the error, empty on success.
std::error_code ReplaceFileAtomically(const std::string& path, std::string_view content);

// Puts `content` at `path` only when no file is there: the complete file is
// written under a temporary name and linked to `path`, so a reader never
// sees it half written. Returns EEXIST when a file is already there. Where
// the file system cannot link, the file is created with O_EXCL and written
// in one go.
std::error_code CreateFileExclusively(const std::string& path, std::string_view content);

}  // namespace kt::platform
