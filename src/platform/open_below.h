// Opening files inside folders that others can write to: the shared update
// folder, the source folder, the temporary folder. Whoever can write there
// can plant a symbolic link in place of a sub-folder or a file, so that a
// write meant for the folder lands anywhere the module may write. Below the
// folder it trusts, the caller's, no link is followed: at any step a link
// is refused with ELOOP.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/sys_error.h"
#include "platform/unique_fd.h"

namespace kt::platform {

// Opens `path`, which lies inside the folder `root`, with the `open` flags
// `flags` (O_NOFOLLOW and O_CLOEXEC added). `root` itself is taken as it is.
// EXDEV when `path` does not lie inside `root`; ELOOP when a link stands at a
// step below `root`.
[[nodiscard]] SysResult<UniqueFd> OpenBelow(const std::string& root, const std::string& path, int flags,
                                            mode_t mode = 0666);

// Copies the regular file `from` (inside `fromRoot`) over `to` (inside
// `toRoot`), following no link below either root. Anything but a regular
// file at `from` is refused with EINVAL; a copy that fails is removed.
[[nodiscard]] SysStatus CopyFileBelow(const std::string& fromRoot, const std::string& from,
                                      const std::string& toRoot, const std::string& to);

}  // namespace kt::platform
