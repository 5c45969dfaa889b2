// A person's actions on a dialog model, turned into control changes and the
// dialog's handlers.
#include <cctype>
#include <utility>

#include "hostsuite/dialog_model.h"

namespace kt::hostsuite {

namespace {

// Typed text never ends inside a UTF-8 character.
std::string CutAtCharacter(const std::string& text, std::size_t maxBytes) {
    if (maxBytes == 0 || text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string DigitsOf(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    }
    return digits;
}

std::string JoinCells(const std::vector<std::string>& cells) {
    std::string joined;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) joined.push_back('\t');
        joined += cells[i];
    }
    return joined;
}

bool IsListKind(const Control& control) {
    return control.kind == ControlKind::List || control.kind == ControlKind::Combo;
}

// The first item whose text (or, for a report list, whose cells joined by
// tabs) is `itemText`; -1 when none.
int FindRow(const Control& control, const std::string& itemText) {
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        const ListItem& item = control.items[i];
        if (item.Text() == itemText || JoinCells(item.cells) == itemText) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::optional<Control> DialogModel::InputControl(int id) const {
    std::lock_guard lock(mutex_);
    if (!running_ || ended_) return std::nullopt;
    const Control* control = Find(id);
    if (control == nullptr || !AcceptsUserInput(*control)) return std::nullopt;
    return *control;
}

void DialogModel::RunClickHandler(int id) {
    const auto found = clickHandlers_.find(id);
    if (found == clickHandlers_.end() || !found->second) return;
    // A copy: the handler may bind another one in its place.
    const std::function<void()> handler = found->second;
    handler();
}

void DialogModel::RunSelectionHandler(int id, int item) {
    const auto found = selectionHandlers_.find(id);
    if (found == selectionHandlers_.end() || !found->second) return;
    const std::function<void(int)> handler = found->second;
    handler(item);
}

void DialogModel::ChooseRadio(const Control& radio) {
    std::lock_guard lock(mutex_);
    for (Control& other : controls_) {
        if (other.kind == ControlKind::Radio && other.radioGroup == radio.radioGroup) {
            other.checked = other.id == radio.id;
        }
    }
    Changed();
}

void DialogModel::CheckRadio(int id) {
    const std::optional<Control> radio = GetControl(id);
    if (radio && radio->kind == ControlKind::Radio) ChooseRadio(*radio);
}

void DialogModel::Command(int id) {
    if (id == kIdOk) OnOK();
    else if (id == kIdCancel) OnCancel();
    else RunClickHandler(id);
}

bool DialogModel::UserClick(int id) {
    const std::optional<Control> control = InputControl(id);
    if (!control) return false;
    switch (control->kind) {
        case ControlKind::Push:
            // A button without a handler of its own reports its command.
            if (clickHandlers_.count(id) != 0) RunClickHandler(id);
            else Command(id);
            return true;
        case ControlKind::Radio:
            ChooseRadio(*control);
            RunClickHandler(id);
            return true;
        case ControlKind::Check:
            SetCheck(id, !control->checked);
            RunClickHandler(id);
            return true;
        default:
            return false;
    }
}

bool DialogModel::UserSetCheck(int id, bool checked) {
    const std::optional<Control> control = InputControl(id);
    if (!control) return false;
    if (control->kind == ControlKind::Check) {
        return control->checked == checked || UserClick(id);
    }
    if (control->kind == ControlKind::Radio) {
        // A radio button is cleared by choosing another one, never by itself.
        if (!checked) return !control->checked;
        return control->checked || UserClick(id);
    }
    return false;
}

bool DialogModel::UserSetText(int id, const std::string& text) {
    const std::optional<Control> control = InputControl(id);
    if (!control || control->kind != ControlKind::Edit) return false;
    const std::string typed = control->digitsOnly ? DigitsOf(text) : text;
    SetText(id, CutAtCharacter(typed, control->maxLength));
    return true;
}

bool DialogModel::UserSelect(int id, const std::string& itemText) {
    const std::optional<Control> control = InputControl(id);
    if (!control || !IsListKind(*control)) return false;
    const int chosen = FindRow(*control, itemText);
    if (chosen < 0) return false;
    if (!control->multiSelect) {
        SetSelection(id, chosen);
        RunSelectionHandler(id, chosen);
        return true;
    }
    // A plain click in a multi-selection list: the other rows are deselected
    // first, then the row is selected; each change is reported.
    std::vector<int> changed;
    for (std::size_t i = 0; i < control->items.size(); ++i) {
        const bool wanted = static_cast<int>(i) == chosen;
        if (control->items[i].selected != wanted) changed.push_back(static_cast<int>(i));
    }
    SetSelection(id, chosen);
    for (int item : changed) {
        if (item != chosen) RunSelectionHandler(id, item);
    }
    for (int item : changed) {
        if (item == chosen) RunSelectionHandler(id, item);
    }
    return true;
}

bool DialogModel::UserToggle(int id, const std::string& itemText, bool selected) {
    const std::optional<Control> control = InputControl(id);
    if (!control || control->kind != ControlKind::List || !control->multiSelect) return false;
    const int item = FindRow(*control, itemText);
    if (item < 0 || control->items[static_cast<std::size_t>(item)].selected == selected) return false;
    Change(id, [&](Control& list) {
        if (static_cast<std::size_t>(item) < list.items.size()) list.items[static_cast<std::size_t>(item)].selected = selected;
    });
    RunSelectionHandler(id, item);
    return true;
}

void DialogModel::UserClose() {
    {
        std::lock_guard lock(mutex_);
        if (!running_ || ended_) return;
    }
    OnClose();
}

void DialogModel::UserEscape() {
    {
        std::lock_guard lock(mutex_);
        if (!running_ || ended_) return;
    }
    OnEscape();
}

}  // namespace kt::hostsuite
