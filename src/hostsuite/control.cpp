#include "hostsuite/control.h"

namespace kt::hostsuite {

const std::string& ListItem::Text() const {
    static const std::string empty;
    return cells.empty() ? empty : cells.front();
}

bool AcceptsUserInput(const Control& control) {
    if (!control.visible || !control.enabled) return false;
    switch (control.kind) {
        case ControlKind::Push:
        case ControlKind::Radio:
        case ControlKind::Check:
        case ControlKind::List:
        case ControlKind::Combo:
            return true;
        case ControlKind::Edit:
            return !control.readOnly;
        case ControlKind::Group:
        case ControlKind::Label:
        case ControlKind::Progress:
            return false;
    }
    return false;
}

}  // namespace kt::hostsuite
