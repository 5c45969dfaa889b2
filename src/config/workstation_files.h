// The state files of all the workstations that share the update folder:
// the files named "{*.xml" (a GUID followed by ".xml").
#pragma once

#include <string>
#include <vector>

namespace kt::config {

// The file names, sorted, so every run walks them in the same order. The
// extension is matched in any letter case; folders are left out.
std::vector<std::string> ListWorkstationFiles(const std::string& updateDir);

}  // namespace kt::config
