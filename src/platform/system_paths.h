// Where the system folders of the module are. Each one has a Linux default
// and can be moved by an environment variable, so that a test or a demo can
// run the module inside a temporary tree.
#pragma once

#include <string>

namespace kt::platform {

struct SystemPaths {
    // Holds sesam.ini (KT_WINDOWS_DIR).
    static std::string WindowsDir();
    // Holds the installed card-reader software (KT_PROGRAM_FILES).
    static std::string ProgramFiles();
    // Machine-wide application data, home of the activity log (KT_COMMON_APPDATA).
    // Empty when the folder does not exist.
    static std::string CommonAppData();
    // Machine-wide values such as the failure counter (KT_REGISTRY_DIR).
    static std::string RegistryDir();
    // Named cross-process objects live here; created on demand (KT_RUNTIME_DIR).
    static std::string RuntimeDir();
    // Scratch files (TMPDIR).
    static std::string TempDir();
};

}  // namespace kt::platform
