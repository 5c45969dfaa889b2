// How the callers of the connection check open the options dialog from
// "Paramétrer...": with the dial-up entries of the check's own dialer.
#pragma once

#include "connect/internet_connection.h"
#include "dialogs/no_connection_dialog.h"
#include "run/run_context.h"

namespace kt::connect {

// Runs the options dialog through the active presenter; `ctx` and `connection`
// must outlive the opener.
dialogs::OpenOptions OptionsOpener(const run::RunContext& ctx, InternetConnection& connection);

}  // namespace kt::connect
