// What the terminal presenter prints: message boxes with their French
// buttons, dialogs as their controls, progress bars as text, and the
// numbered actions a person can take on a dialog.
#pragma once

#include <string>
#include <vector>

#include "hostsuite/control.h"
#include "hostsuite/dialog_action.h"

namespace kt::hostsuite {

struct Choice {
    std::string label;
    int code = 0;
};

// The buttons of a message-box style, in the order the box shows them.
std::vector<Choice> MessageChoices(unsigned style);
// The custom buttons from their captions ("&Oui\r\n&Non\r\n&Options...").
std::vector<Choice> CustomChoices(const std::string& captions);
// The icon part of a style in words ("Erreur", "Question", ...); empty for none.
std::string IconName(unsigned style);
// A message box as the terminal prints it: the caption with its icon, the
// text and the numbered buttons.
std::string BoxText(const std::string& caption, unsigned style, const std::string& text,
                    const std::vector<Choice>& choices);
// The label of the choice answered `code`; the code itself when none is.
std::string ChoiceLabel(const std::vector<Choice>& choices, int code);
// The choice that a typed answer names: its number, or its label ignoring case.
const Choice* FindChoice(const std::vector<Choice>& choices, const std::string& typed);

// "[########------------]  40 %" for the bar's position within its range.
std::string ProgressText(const Control& bar);
// One line of the dialog for the control; empty for a hidden control.
std::string ControlLine(const Control& control);

// One numbered action of a dialog's menu.
struct MenuEntry {
    std::string key;
    std::string label;
    ActionKind kind = ActionKind::Click;
    int control = 0;
};

// What a person can do on the dialog now: its enabled, visible buttons,
// boxes, edits and lists in the dialog's order, then the close box and Escape.
std::vector<MenuEntry> DialogMenu(const std::vector<Control>& controls);
std::string MenuText(const std::vector<MenuEntry>& menu);

}  // namespace kt::hostsuite
