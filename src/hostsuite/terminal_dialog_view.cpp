#include "hostsuite/terminal_dialog_view.h"

namespace kt::hostsuite {

namespace {

constexpr std::chrono::milliseconds kRedrawInterval{500};
constexpr const char* kPrompt = "Votre choix : ";

bool Changing(const Control& control) {
    return control.kind == ControlKind::Label || control.kind == ControlKind::Progress;
}

}  // namespace

std::string TerminalDialogView::Header(const DialogModel& dialog) const {
    std::string header = "=== " + dialog.Caption() + " === (fenêtre " + std::to_string(dialog.ResourceId()) + ")";
    if (dialog.GetShowState() == ShowState::Minimised) header += " (réduite)";
    return header;
}

void TerminalDialogView::Remember(const DialogModel& dialog, const std::vector<Control>& controls) {
    header_ = Header(dialog);
    lines_.clear();
    for (const Control& control : controls) {
        if (Changing(control)) lines_[control.id] = ControlLine(control);
    }
    menu_ = DialogMenu(controls);
    lastPrint_ = std::chrono::steady_clock::now();
}

void TerminalDialogView::PrintAll(const DialogModel& dialog) {
    seenChanges_ = dialog.ChangeCount();
    const std::vector<Control> controls = dialog.Controls();
    Remember(dialog, controls);
    out_ << '\n' << header_ << '\n';
    for (const Control& control : controls) {
        const std::string line = ControlLine(control);
        if (!line.empty()) out_ << "  " << line << '\n';
    }
    if (offerActions_) out_ << MenuText(menu_) << '\n' << kPrompt;
    out_ << std::flush;
}

void TerminalDialogView::PrintChanges(const DialogModel& dialog) {
    const std::uint64_t changes = dialog.ChangeCount();
    if (changes == seenChanges_) return;
    if (std::chrono::steady_clock::now() - lastPrint_ < kRedrawInterval) return;
    seenChanges_ = changes;
    const std::vector<Control> controls = dialog.Controls();
    const std::string headerBefore = header_;
    const std::map<int, std::string> before = lines_;
    const std::string menuBefore = MenuText(menu_);
    Remember(dialog, controls);
    bool printed = false;
    if (header_ != headerBefore) {
        out_ << '\n' << header_;
        printed = true;
    }
    for (const auto& [id, line] : lines_) {
        const auto old = before.find(id);
        if (old != before.end() && old->second == line) continue;
        if (line.empty()) continue;
        out_ << '\n' << "  " << line;
        printed = true;
    }
    const std::string menu = MenuText(menu_);
    if (offerActions_ && menu != menuBefore) {
        out_ << '\n' << menu;
        printed = true;
    }
    if (printed) out_ << '\n' << (offerActions_ ? kPrompt : "") << std::flush;
}

}  // namespace kt::hostsuite
