// Lists, combo boxes and progress bars of the dialog model.
#include <algorithm>
#include <cctype>
#include <utility>

#include "hostsuite/dialog_model.h"

namespace kt::hostsuite {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Sorted lists order their items as the system's lists do: ignoring case.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool StartsIgnoringCase(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsList(const Control& control) {
    return control.kind == ControlKind::List || control.kind == ControlKind::Combo;
}

bool ValidIndex(const Control& control, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < control.items.size();
}

}  // namespace

int DialogModel::AddItem(int id, std::string text, std::intptr_t data) {
    return AddRow(id, std::vector<std::string>{std::move(text)}, data);
}

int DialogModel::AddRow(int id, std::vector<std::string> cells, std::intptr_t data) {
    if (cells.empty()) cells.emplace_back();
    int inserted = -1;
    Change(id, [&](Control& control) {
        if (!IsList(control)) return;
        ListItem item{std::move(cells), data, false};
        auto at = control.items.end();
        if (control.sorted) {
            at = std::upper_bound(control.items.begin(), control.items.end(), item,
                                  [](const ListItem& a, const ListItem& b) {
                                      return LessIgnoringCase(a.Text(), b.Text());
                                  });
        }
        inserted = static_cast<int>(at - control.items.begin());
        control.items.insert(at, std::move(item));
        if (control.selection >= inserted) ++control.selection;
    });
    return inserted;
}

void DialogModel::SetColumns(int id, std::vector<std::string> titles) {
    Change(id, [&](Control& control) {
        if (control.kind == ControlKind::List) control.columns = std::move(titles);
    });
}

void DialogModel::ClearItems(int id) {
    Change(id, [](Control& control) {
        control.items.clear();
        control.selection = -1;
    });
}

int DialogModel::ItemCount(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control == nullptr ? 0 : static_cast<int>(control->items.size());
}

std::string DialogModel::ItemText(int id, int index, int column) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    if (control == nullptr || !ValidIndex(*control, index) || column < 0) return {};
    const auto& cells = control->items[static_cast<std::size_t>(index)].cells;
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                           : std::string();
}

std::intptr_t DialogModel::ItemData(int id, int index) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    if (control == nullptr || !ValidIndex(*control, index)) return 0;
    return control->items[static_cast<std::size_t>(index)].data;
}

int DialogModel::Selection(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    if (control == nullptr) return -1;
    if (!control->multiSelect) return control->selection;
    for (std::size_t i = 0; i < control->items.size(); ++i) {
        if (control->items[i].selected) return static_cast<int>(i);
    }
    return -1;
}

std::vector<int> DialogModel::SelectedItems(int id) const {
    std::lock_guard lock(mutex_);
    std::vector<int> selected;
    const Control* control = Find(id);
    if (control == nullptr) return selected;
    if (!control->multiSelect) {
        if (control->selection >= 0) selected.push_back(control->selection);
        return selected;
    }
    for (std::size_t i = 0; i < control->items.size(); ++i) {
        if (control->items[i].selected) selected.push_back(static_cast<int>(i));
    }
    return selected;
}

void DialogModel::SetSelection(int id, int index) {
    Change(id, [&](Control& control) {
        const int chosen = ValidIndex(control, index) ? index : -1;
        control.selection = control.multiSelect ? -1 : chosen;
        for (std::size_t i = 0; i < control.items.size(); ++i) {
            control.items[i].selected = control.multiSelect && static_cast<int>(i) == chosen;
        }
    });
}

int DialogModel::FindItemPrefix(int id, const std::string& prefix, int startAfter) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    if (control == nullptr || control->items.empty()) return -1;
    const int count = static_cast<int>(control->items.size());
    const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (StartsIgnoringCase(control->items[static_cast<std::size_t>(index)].Text(), prefix)) {
            return index;
        }
    }
    return -1;
}

void DialogModel::SetRange(int id, int low, int high) {
    Change(id, [&](Control& control) {
        control.rangeLow = low;
        control.rangeHigh = std::max(low, high);
        control.position = std::clamp(control.position, control.rangeLow, control.rangeHigh);
    });
}

void DialogModel::SetPosition(int id, int position) {
    Change(id, [&](Control& control) {
        control.position = std::clamp(position, control.rangeLow, control.rangeHigh);
    });
}

int DialogModel::Position(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control == nullptr ? 0 : control->position;
}

}  // namespace kt::hostsuite
