// Where a workstation takes its updates from, as the main dialog records it.
#pragma once

#include <string>

#include "hostsuite/presenter.h"
#include "run/run_context.h"

namespace kt::config {

enum UpdateSource {
    kSourceInternet = 1,
    kSourceLocalNetwork = 2,
    kSourceDirectory = 3,
};

struct UpdateSourceChoice {
    // 1, 2 or 3; any other value records no source.
    int source = 0;
    // This workstation downloads for every workstation of the network.
    bool share = false;
    // The local directory as typed.
    std::string directory;
};

// Records the choice in appid.xml and in this workstation's state file
// (`guid` + ".xml"; nothing there when `guid` is empty). With
// `checkDirectory` (the user starts the update), a directory source without
// "versions.xml" is refused before anything is written, so that leaving the
// dialog afterwards keeps the choice the run started with: message 1074 is
// shown to `owner` and 0 is returned. Else 1.
int ApplyUpdateSource(run::RunContext& ctx, const std::string& guid, const UpdateSourceChoice& choice,
                      bool checkDirectory, hostsuite::Window owner);

// The directory as recorded: at most 260 characters, ending with the
// separator unless empty.
std::string RecordedDirectory(const std::string& directory);

}  // namespace kt::config
