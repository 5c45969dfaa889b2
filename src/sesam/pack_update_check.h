// Whether a Sesam Vitale pack package described in the catalogue must be
// installed on this workstation.
#pragma once

#include <string>

#include "sesam/pack_check_session.h"
#include "run/run_context.h"

namespace kt::sesam {

// Runs the card-reader probe first when it has not run in this session.
// With `bProbeOnly` set, returns the probe's result. Otherwise makes the
// full decision from the pack description `path` (the catalogue): 1 when
// the package is needed (no pack installed, a program file of the pack
// older than described, or, when the probe succeeded, a table or module
// older than described), else 0. The package's table versions are kept in
// the pack state for the installer.
int IsSesamPackUpdateNeeded(run::RunContext& ctx, PackCheckSession& session, const std::string& path,
                            int bProbeOnly);

}  // namespace kt::sesam
