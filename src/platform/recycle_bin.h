// "Deleting to the recycle bin": moving into the user's freedesktop trash,
// where file managers can restore from, when the user has one.
#pragma once

#include <string>

namespace kt::platform {

// Moves `path` (a file or a whole folder) into the trash of
// $XDG_DATA_HOME (by default ~/.local/share) when that trash exists and
// the move can be done by renaming; otherwise deletes it. Nothing is asked
// or shown. True when `path` is gone.
bool MoveToRecycleBin(const std::string& path);

}  // namespace kt::platform
