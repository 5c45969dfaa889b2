#include "hostsuite/dialog_action.h"

#include <chrono>
#include <optional>

#include "hostsuite/dialog_model.h"
#include "log/activity_log.h"

namespace kt::hostsuite {

namespace {

bool WaitForPosition(DialogModel& dialog, int control, int position) {
    const std::optional<Control> bar = dialog.GetControl(control);
    if (!bar || bar->kind != ControlKind::Progress) {
        KT_LOG(Warning) << "Dialog " << dialog.ResourceId() << " has no progress bar " << control;
        return false;
    }
    const bool reached = dialog.PumpUntil([&] { return dialog.Position(control) >= position; },
                                          std::chrono::milliseconds(kWaitLimitMs));
    if (!reached && !dialog.Ended()) {
        KT_LOG(Warning) << "Dialog " << dialog.ResourceId() << " : progress bar " << control
                        << " did not reach " << position;
    }
    return reached;
}

void Sleep(DialogModel& dialog, int milliseconds) {
    dialog.PumpUntil([] { return false; }, std::chrono::milliseconds(milliseconds));
}

}  // namespace

bool PlayAction(DialogModel& dialog, const DialogAction& action) {
    switch (action.kind) {
        case ActionKind::Click:
            return dialog.UserClick(action.control);
        case ActionKind::Check:
            return dialog.UserSetCheck(action.control, true);
        case ActionKind::Uncheck:
            return dialog.UserSetCheck(action.control, false);
        case ActionKind::Text:
            return dialog.UserSetText(action.control, action.value);
        case ActionKind::Select:
            return dialog.UserSelect(action.control, action.value);
        case ActionKind::Add:
            return dialog.UserToggle(action.control, action.value, true);
        case ActionKind::Deselect:
            return dialog.UserToggle(action.control, action.value, false);
        case ActionKind::Wait:
            return WaitForPosition(dialog, action.control, action.number);
        case ActionKind::Sleep:
            Sleep(dialog, action.number);
            return true;
        case ActionKind::Close:
            dialog.UserClose();
            return true;
        case ActionKind::Escape:
            dialog.UserEscape();
            return true;
    }
    return false;
}

}  // namespace kt::hostsuite
