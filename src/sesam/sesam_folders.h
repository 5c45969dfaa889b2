// The pack's local table folders and the "Sesam" folder made in a directory
// when tables are moved.
#pragma once

#include <string>

#include "sesam/table_set.h"

namespace kt::sesam {

inline constexpr const char* kSesamFolderName = "Sesam";

// The folder "Sesam" under the Program Files folder.
std::string LocalSesamFolder();

// Its subfolders "ADM" (common tables), "SSV", "SRT" and "STS".
TableSet LocalTableSet();

// `directory` + "Sesam" + separator.
std::string SesamFolderIn(const std::string& directory);

// Creates the folder "Sesam" in `directory`: 1 when it was created or
// already existed, else 0.
int CreateSesamFolder(const std::string& directory);

}  // namespace kt::sesam
