// What the download dialog keeps while it builds its download list and
// records packages: where packages come from, and the questions and pack
// comparisons already made, which must not be repeated within one dialog.
#pragma once

#include <list>
#include <string>

#include "hostsuite/presenter.h"

namespace kt::download {

enum class SourceMode {
    kInternet,
    // A folder on the local network or a directory chosen by the user.
    kLocal,
};

struct DownloadState {
    SourceMode sourceMode = SourceMode::kInternet;
    // Internet: the server addresses, tried in order. Local: the one source folder.
    std::list<std::string> sourceList;
    // The server address the connection check chose, ending with "/".
    std::string baseAddress;
    // The window that owns the compatibility question (the dialog's).
    hostsuite::Window owner = nullptr;
    // The compatibility question has been asked.
    bool askedOnce = false;
    // The user declined a step that changes the compatibility version: no
    // later walk of this dialog lists such a step again.
    bool compatibilityRefused = false;
    // The full Sesam Vitale pack decision has been made.
    bool packCompared = false;
};

}  // namespace kt::download
