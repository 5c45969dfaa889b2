// Tidying at the start of a normal run: the installer's pending new copy is
// put in place, and workstations that have not updated for 180 days leave
// the update folder.
#pragma once

#include <ctime>

#include "run/run_context.h"

namespace kt::update {

// Days without an update after which a workstation's files are removed.
inline constexpr int kForgottenWorkstationDays = 180;

// 0 when the update folder holds no workstation file ("{" ... ".xml"), else
// 1. The GUID argument is not used. A file that cannot be removed or moved
// stays where it is.
int CleanUp(run::RunContext& ctx, const char* pszGuid);
int CleanUp(run::RunContext& ctx, const char* pszGuid, const std::tm& now);

}  // namespace kt::update
