// What the history dialog asks of its owner: the installer hand-over, which
// lives above the dialogs, and the end of the owner's own dialog.
#pragma once

#include <functional>

namespace kt::dialogs {

struct HistoryServices {
    // Starts the installer in uninstall mode for the chosen entry; `sesam`
    // is 1 for a Sesam Vitale pack entry, else 0.
    std::function<void(int sesam)> startUninstall;
    // Asked once an uninstall was started: the owner ends without saving.
    std::function<void()> endOwnerWithoutSaving;
};

}  // namespace kt::dialogs
