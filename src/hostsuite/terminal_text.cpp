#include "hostsuite/terminal_text.h"

#include <algorithm>
#include <cctype>

#include "hostsuite/presenter.h"

namespace kt::hostsuite {

namespace {

constexpr int kIdAbort = 3;
constexpr int kIdIgnore = 5;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;
constexpr int kBarWidth = 20;

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string WithoutAccelerator(const std::string& caption) {
    std::string plain;
    for (char c : caption) {
        if (c != '&') plain.push_back(c);
    }
    return plain;
}

// A person sees one line per control; line breaks of captions are kept apart.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line.push_back(c == '\n' ? ' ' : c);
    }
    return line;
}

std::string Inactive(const Control& control) { return control.enabled ? "" : "  (inactif)"; }

std::string ListLine(const Control& control) {
    std::string line = control.kind == ControlKind::Combo ? "Liste déroulante " : "Liste ";
    line += std::to_string(control.id) + " :";
    if (control.items.empty()) line += " (vide)";
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        const ListItem& item = control.items[i];
        const bool chosen = control.multiSelect ? item.selected : static_cast<int>(i) == control.selection;
        std::string text;
        for (std::size_t c = 0; c < item.cells.size(); ++c) text += (c > 0 ? " | " : "") + item.cells[c];
        line += "\n      " + std::string(chosen ? "> " : "  ") + OneLine(text);
    }
    return line;
}

std::string EditLine(const Control& control) {
    const std::string shown = control.password ? std::string(control.text.size(), '*') : OneLine(control.text);
    return "Zone de saisie " + std::to_string(control.id) + " : " + shown;
}

}  // namespace

std::vector<Choice> MessageChoices(unsigned style) {
    switch (style & 0xFu) {
        case 0x1: return {{"OK", kIdOk}, {"Annuler", kIdCancel}};
        case 0x2: return {{"Abandonner", kIdAbort}, {"Réessayer", kIdRetry}, {"Ignorer", kIdIgnore}};
        case 0x3: return {{"Oui", kIdYes}, {"Non", kIdNo}, {"Annuler", kIdCancel}};
        case 0x4: return {{"Oui", kIdYes}, {"Non", kIdNo}};
        case 0x5: return {{"Réessayer", kIdRetry}, {"Annuler", kIdCancel}};
        case 0x6: return {{"Annuler", kIdCancel}, {"Recommencer", kIdTryAgain}, {"Continuer", kIdContinue}};
        default: return {{"OK", kIdOk}};
    }
}

std::vector<Choice> CustomChoices(const std::string& captions) {
    std::vector<Choice> choices;
    std::size_t start = 0;
    while (choices.size() < 3) {
        const std::size_t end = captions.find("\r\n", start);
        const std::string caption = captions.substr(start, end == std::string::npos ? std::string::npos : end - start);
        choices.push_back({WithoutAccelerator(caption), kIdButton1 + static_cast<int>(choices.size())});
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return choices;
}

std::string IconName(unsigned style) {
    switch (style & 0xF0u) {
        case 0x10: return "Erreur";
        case 0x20: return "Question";
        case 0x30: return "Attention";
        case 0x40: return "Information";
        default: return {};
    }
}

std::string BoxText(const std::string& caption, unsigned style, const std::string& text,
                    const std::vector<Choice>& choices) {
    const std::string icon = IconName(style);
    std::string box = "\n--- " + caption + (icon.empty() ? "" : " (" + icon + ")") + " ---\n" + text + '\n';
    for (std::size_t i = 0; i < choices.size(); ++i) box += "  " + std::to_string(i + 1) + ". " + choices[i].label + '\n';
    return box;
}

std::string ChoiceLabel(const std::vector<Choice>& choices, int code) {
    for (const Choice& choice : choices) {
        if (choice.code == code) return choice.label;
    }
    return std::to_string(code);
}

const Choice* FindChoice(const std::vector<Choice>& choices, const std::string& typed) {
    const std::string answer = Lowered(typed);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (answer == std::to_string(i + 1) || answer == Lowered(choices[i].label)) return &choices[i];
    }
    return nullptr;
}

std::string ProgressText(const Control& bar) {
    const long long span = static_cast<long long>(bar.rangeHigh) - bar.rangeLow;
    const long long done = static_cast<long long>(bar.position) - bar.rangeLow;
    const int percent = span <= 0 ? 0 : static_cast<int>(done * 100 / span);
    const int filled = percent * kBarWidth / 100;
    // Appended piece by piece: "[" + a temporary trips a false -Wrestrict of GCC 12 at -O3.
    std::string text = "[";
    text.append(static_cast<std::size_t>(filled), '#').append(static_cast<std::size_t>(kBarWidth - filled), '-');
    text += "] ";
    const std::string number = std::to_string(percent);
    return text + std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + " %";
}

std::string ControlLine(const Control& control) {
    if (!control.visible) return {};
    const std::string caption = OneLine(control.text);
    switch (control.kind) {
        case ControlKind::Push: return "< " + caption + " >" + Inactive(control);
        case ControlKind::Radio: return (control.checked ? "(*) " : "( ) ") + caption + Inactive(control);
        case ControlKind::Check: {
            std::string line = (control.checked ? "[x] " : "[ ] ") + caption + Inactive(control);
            if (!control.description.empty()) line += "\n      " + OneLine(control.description);
            return line;
        }
        case ControlKind::Group: return "-- " + caption + " --";
        case ControlKind::Label: return caption;
        case ControlKind::Edit: return EditLine(control) + Inactive(control);
        case ControlKind::List:
        case ControlKind::Combo: return ListLine(control) + Inactive(control);
        case ControlKind::Progress: return ProgressText(control);
    }
    return {};
}

std::vector<MenuEntry> DialogMenu(const std::vector<Control>& controls) {
    std::vector<MenuEntry> menu;
    for (const Control& control : controls) {
        if (!AcceptsUserInput(control)) continue;
        MenuEntry entry;
        entry.key = std::to_string(menu.size() + 1);
        entry.control = control.id;
        const std::string caption = OneLine(control.text);
        switch (control.kind) {
            case ControlKind::Push: entry.label = caption; break;
            case ControlKind::Radio: entry.label = "Choisir « " + caption + " »"; break;
            case ControlKind::Check:
                entry.label = (control.checked ? "Décocher « " : "Cocher « ") + caption + " »";
                break;
            case ControlKind::Edit:
                entry.kind = ActionKind::Text;
                entry.label = "Saisir le texte de la zone " + std::to_string(control.id);
                break;
            default:
                entry.kind = ActionKind::Select;
                entry.label = "Choisir dans la liste " + std::to_string(control.id);
        }
        menu.push_back(entry);
        if (control.kind == ControlKind::List && control.multiSelect) {
            const std::string list = " la sélection de la liste " + std::to_string(control.id);
            menu.push_back({std::to_string(menu.size() + 1), "Ajouter à" + list, ActionKind::Add, control.id});
            menu.push_back({std::to_string(menu.size() + 1), "Retirer de" + list, ActionKind::Deselect, control.id});
        }
    }
    menu.push_back({"x", "Fermer la fenêtre", ActionKind::Close, 0});
    menu.push_back({"e", "Échap", ActionKind::Escape, 0});
    return menu;
}

std::string MenuText(const std::vector<MenuEntry>& menu) {
    std::string text = "Actions :";
    for (const MenuEntry& entry : menu) text += "\n  " + entry.key + ". " + entry.label;
    return text;
}

}  // namespace kt::hostsuite
