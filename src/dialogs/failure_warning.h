// The warning that update runs keep failing: shown once too many runs in a
// row have failed, owned by the window in front of the run.
#pragma once

#include <string>

#include "hostsuite/presenter.h"

namespace kt::dialogs {

void ShowFailureWarning(hostsuite::Window owner, const std::string& title);

}  // namespace kt::dialogs
