// Replacing a file so that nobody ever sees it half written: every file that
// another process or workstation reads, and the configuration that a crash
// must not lose, is written through here.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/sys_error.h"

namespace kt::platform {

// Writes `content` to a new hidden file in the folder of `path`, flushes it
// to the disk, renames it over `path` and flushes the folder. A reader sees
// the old file or the new one whole; on failure the old file is left as it
// was and the result names the failed call. The new file keeps the permissions of the
// one it replaces; a file made anew gets `newFileMode` when given, else the
// usual permissions under the process's umask.
[[nodiscard]] SysStatus ReplaceFileAtomically(const std::string& path, std::string_view content,
                                              std::optional<mode_t> newFileMode = std::nullopt);

// Puts `content` at `path` only when no file is there: the complete file is
// written under a temporary name and linked to `path`, so a reader never
// sees it half written. Fails with EEXIST when a file is already there. Where
// the file system cannot link, the file is created with O_EXCL and written
// in one go.
[[nodiscard]] SysStatus CreateFileExclusively(const std::string& path, std::string_view content);

}  // namespace kt::platform
