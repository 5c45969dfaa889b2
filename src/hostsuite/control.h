// One control of a dialog model, as the dialog's code and the presenters see
// it. The dialog model owns its controls and guards them; this is plain data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt::hostsuite {

enum class ControlKind { Push, Radio, Check, Group, Label, Edit, List, Combo, Progress };

// A row of a list or combo box. Combo boxes and simple lists use one cell; a
// report-style list has one cell per column.
struct ListItem {
    std::vector<std::string> cells;
    std::intptr_t data = 0;
    bool selected = false;

    const std::string& Text() const;
};

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    // Caption of buttons, group boxes and labels; content of edits.
    std::string text;
    // Second line shown under a check box's caption, when it has one.
    std::string description;
    bool enabled = true;
    bool visible = true;
    bool checked = false;

    // Radio buttons of one group exclude each other.
    int radioGroup = 0;

    // Edits.
    bool password = false;
    bool readOnly = false;
    bool digitsOnly = false;
    // Longest text a person may type, in bytes; 0 = no limit.
    std::size_t maxLength = 0;

    // Lists and combo boxes.
    bool sorted = false;
    bool multiSelect = false;
    // Column titles of a report-style list; empty for other lists.
    std::vector<std::string> columns;
    std::vector<ListItem> items;
    // Single-selection lists: index of the selected item, -1 for none.
    int selection = -1;

    // Progress bars.
    int rangeLow = 0;
    int rangeHigh = 100;
    int position = 0;
};

// Whether a person can act on the control: a click, a text, a choice.
bool AcceptsUserInput(const Control& control);

}  // namespace kt::hostsuite
