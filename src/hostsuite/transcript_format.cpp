#include "hostsuite/transcript_format.h"

#include <algorithm>
#include <cstdio>

#include "hostsuite/dialog_model.h"

namespace kt::hostsuite {

namespace {

std::string StringId(int id) { return id == kLiteralText ? "-" : std::to_string(id); }

std::string Style(unsigned style) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", style);
    return text;
}

std::string Unscripted(bool unscripted) { return unscripted ? " unscripted" : ""; }

// What a transcript shows of a password.
constexpr const char* kHiddenPassword = "***";

bool IsPasswordEdit(const DialogModel& dialog, int id) {
    const std::optional<Control> control = dialog.GetControl(id);
    return control && control->kind == ControlKind::Edit && control->password;
}

}  // namespace

std::string QuoteText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
            case '\\': quoted += "\\\\"; break;
            case '"': quoted += "\\\""; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
            default: quoted.push_back(c);
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::string AnswerName(int code) {
    switch (code) {
        case kIdOk: return "ok";
        case kIdCancel: return "cancel";
        case kIdRetry: return "retry";
        case kIdYes: return "yes";
        case kIdNo: return "no";
        default: return std::to_string(code);
    }
}

std::string FormatAction(const DialogAction& action) {
    const std::string control = std::to_string(action.control);
    switch (action.kind) {
        case ActionKind::Click: return "click " + control;
        case ActionKind::Check: return "check " + control;
        case ActionKind::Uncheck: return "uncheck " + control;
        case ActionKind::Text: return "text " + control + " " + QuoteText(action.value);
        case ActionKind::Select: return "select " + control + " " + QuoteText(action.value);
        case ActionKind::Add: return "add " + control + " " + QuoteText(action.value);
        case ActionKind::Deselect: return "deselect " + control + " " + QuoteText(action.value);
        case ActionKind::Wait: return "wait " + control + " " + std::to_string(action.number);
        case ActionKind::Sleep: return "sleep " + std::to_string(action.number);
        case ActionKind::Close: return "close";
        case ActionKind::Escape: return "escape";
    }
    return {};
}

std::string MessageLine(const MessageRequest& request, int answer, bool unscripted) {
    return "message id=" + StringId(request.stringId) + " caption=" + QuoteText(request.caption) +
           " style=" + Style(request.style) + " flag=" + std::to_string(request.flag) +
           " text=" + QuoteText(request.text) + " -> " + AnswerName(answer) + Unscripted(unscripted);
}

std::string ButtonsLine(const ButtonsRequest& request, int answer, bool unscripted) {
    return "buttons id=" + StringId(request.stringId) + " caption=" + QuoteText(request.caption) +
           " style=" + Style(request.style) + " flag=" + std::to_string(request.flag) +
           " buttons=" + QuoteText(request.buttons) + " text=" + QuoteText(request.text) + " -> " +
           std::to_string(answer) + Unscripted(unscripted);
}

std::string CredentialsLine(const std::string& target, const std::optional<Credentials>& answer,
                            bool unscripted) {
    // The password is never written.
    const std::string given = answer ? "user=" + QuoteText(answer->user) : "cancel";
    return "credentials target=" + QuoteText(target) + " -> " + given + Unscripted(unscripted);
}

std::string FolderLine(const std::string& caption, const std::optional<std::string>& answer, bool unscripted) {
    const std::string given = answer ? QuoteText(*answer) : "cancel";
    return "folder caption=" + QuoteText(caption) + " -> " + given + Unscripted(unscripted);
}

std::string DialogOpenLine(int dialog, const std::string& caption) {
    return "dialog " + std::to_string(dialog) + " open caption=" + QuoteText(caption);
}

std::string DialogActionLine(int dialog, const DialogAction& action) {
    return "dialog " + std::to_string(dialog) + " do " + FormatAction(action);
}

std::string DialogActionLine(const DialogModel& dialog, const DialogAction& action) {
    if (action.kind != ActionKind::Text || !IsPasswordEdit(dialog, action.control)) {
        return DialogActionLine(dialog.ResourceId(), action);
    }
    DialogAction hidden = action;
    hidden.value = kHiddenPassword;
    return DialogActionLine(dialog.ResourceId(), hidden);
}

std::string DialogEndLine(int dialog, int result, bool unscripted) {
    return "dialog " + std::to_string(dialog) + " end " + std::to_string(result) + Unscripted(unscripted);
}

std::string BusyLine(bool busy) { return busy ? "busy on" : "busy off"; }

std::vector<std::string> ListRowLines(int dialog, const Control& list) {
    std::vector<std::string> lines;
    for (const ListItem& item : list.items) {
        std::string cells;
        for (std::size_t i = 0; i < item.cells.size(); ++i) cells += (i > 0 ? "\t" : "") + item.cells[i];
        lines.push_back("dialog " + std::to_string(dialog) + " row " + std::to_string(list.id) + "=" + QuoteText(cells));
    }
    return lines;
}

std::vector<std::string> DialogTextLines(const DialogModel& dialog) {
    std::vector<Control> controls = dialog.Controls();
    std::sort(controls.begin(), controls.end(),
              [](const Control& a, const Control& b) { return a.id < b.id; });
    std::vector<std::string> lines;
    for (const Control& control : controls) {
        const bool shown = control.kind == ControlKind::Label || control.kind == ControlKind::Edit;
        if (!shown || control.text.empty()) continue;
        lines.push_back("dialog " + std::to_string(dialog.ResourceId()) + " text " +
                        std::to_string(control.id) + "=" +
                        QuoteText(control.password ? kHiddenPassword : control.text));
    }
    return lines;
}

}  // namespace kt::hostsuite
