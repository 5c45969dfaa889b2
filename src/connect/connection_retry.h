// The retry protocol of the callers that must have a connection: check, and
// after each failure let the user retry, change the settings or give up in
// the no-connection dialog.
#pragma once

#include <list>
#include <string>

#include "connect/internet_connection.h"
#include "dialogs/no_connection_dialog.h"

namespace kt::connect {

// 1 once a check succeeds; 0 when the user gives up ("Annuler"). Every
// retry reads the settings again, so changes made through "Paramétrer..."
// count. Without an opener, "Paramétrer..." opens the options dialog with
// the entries of the check's dialer.
[[nodiscard]] int CheckConnectionWithRetry(InternetConnection& connection, const run::RunContext& ctx,
                             const std::list<std::string>& urls, std::string* found,
                             const dialogs::OpenOptions& openOptions = {});

}  // namespace kt::connect
