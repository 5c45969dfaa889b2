// One action a script (or a person at the terminal) plays on an open dialog.
#pragma once

#include <string>

namespace kt::hostsuite {

class DialogModel;

enum class ActionKind { Click, Check, Uncheck, Text, Select, Add, Deselect, Wait, Sleep, Close, Escape };

struct DialogAction {
    ActionKind kind = ActionKind::Click;
    // The control acted on (all but sleep, close and escape).
    int control = 0;
    // The text of `text` and the item of `select`, `add` and `deselect`.
    std::string value;
    // The position `wait` waits for; the milliseconds of `sleep`.
    int number = 0;
};

// How long `wait` waits at most for a progress bar.
inline constexpr int kWaitLimitMs = 30000;

// Plays the action on the running dialog, running what other threads post
// meanwhile. False when the action had no effect (no such control, a control
// that cannot take it, an item not in the list, a wait that timed out).
bool PlayAction(DialogModel& dialog, const DialogAction& action);

}  // namespace kt::hostsuite
