// The registry of the module's open dialogs, seen by every process of the
// user, so that a second call can find a dialog that is already open and
// bring it back instead of starting another run.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kt::platform {

class OpenDialogRegistration {
public:
    virtual ~OpenDialogRegistration() = default;
};

// Registers an open dialog under its window class. `onRestore` runs (on a
// thread of the registry) when another call asks to bring it back. The
// dialog stays registered while the returned object lives and its process
// is alive. Null when the registration cannot be made.
std::unique_ptr<OpenDialogRegistration> RegisterOpenDialog(const std::string& windowClass,
                                                           std::function<void()> onRestore);

// Asks an open dialog of that class, in any live process, to come back.
// True when one was found.
bool RestoreOpenDialog(const std::string& windowClass);

}  // namespace kt::platform
