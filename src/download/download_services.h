// What the download dialog works with besides the run context. The update
// run gives its own; what it leaves empty gets the workstation's default.
#pragma once

#include <functional>

#include "connect/internet_connection.h"
#include "dialogs/no_connection_dialog.h"
#include "download/update_search.h"

namespace kt::download {

struct DownloadServices {
    // The application's connection check, which keeps the dial-up link the
    // run hangs up afterwards. None: the dialog uses a check of its own.
    connect::InternetConnection* connection = nullptr;
    // "Paramétrer..." of the no-connection dialog. None: the options dialog
    // with the entries of the connection check's dialer.
    dialogs::OpenOptions openOptions;
    // Closes the run's handles when the user gives up on the connection.
    // None: the handles the run context holds are closed.
    std::function<void()> closeRunHandles;
    // Whether a Sesam Vitale pack package is needed. None: the pack module decides.
    PackDecision packDecision;
};

}  // namespace kt::download
