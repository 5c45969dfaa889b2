// A workstation leaving the CCAM tables shared on the network before its
// Sesam Vitale pack entry is uninstalled from the history: it takes the
// tables home (moved when it is the last user, copied otherwise).
#pragma once

#include <string>

#include "run/run_context.h"

namespace kt::sesam {

enum class LeaveOutcome {
    // The uninstall goes on (whether or not the tables could be taken home).
    kGoOn,
    // The user declined, or no workstation file was found: nothing is uninstalled.
    kStop,
};

// `entryName` and `packVersion` are the first and third columns of the
// history row; `guid` is this workstation's.
[[nodiscard]] LeaveOutcome LeaveSharedCcamTables(run::RunContext& ctx, const std::string& guid,
                                                 const std::string& entryName, const std::string& packVersion);

}  // namespace kt::sesam
