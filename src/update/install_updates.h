// Handing over to the installer ktupdate.exe of the application folder: it
// receives the run's state in the shared record "KTShared_Params" and
// confirms its start through the event "KT_StartUpdateExe".
#pragma once

#include <chrono>
#include <memory>

#include "platform/process.h"
#include "run/run_context.h"

namespace kt::update {

// How long the installer has to confirm its start.
inline constexpr std::chrono::milliseconds kInstallerConfirmation{60000};

// Stamps the last update first when `bStampLastUpdate` is set, writes the
// record (`nMode` at offset 0, `nFirst` and `nSecond` as its two
// arguments), clears the run's bSesamInstall and starts the installer. The
// installer's process, which the caller may poll until it ends, or null
// when it did not start or did not confirm in time (message 1027 shown; a
// silent installer is left running).
std::unique_ptr<platform::Process> InstallUpdates(run::RunContext& ctx, int nFirst, int nSecond, int bStampLastUpdate,
                                                  int nMode);

// The same with the confirmation time as a parameter.
std::unique_ptr<platform::Process> InstallUpdatesWithin(run::RunContext& ctx, int nFirst, int nSecond, int bStampLastUpdate,
                                                        int nMode, std::chrono::milliseconds confirmation);

// The uninstall of the entry chosen in the history: mode 1, `nFirst` 1 for
// a Sesam Vitale pack entry. True when the installer confirmed its start.
bool StartUninstall(run::RunContext& ctx, int nFirst);

}  // namespace kt::update
