// A dialog as the terminal shows it: printed whole when it opens and after
// each action, and then only what changed (status lines, progress bars, the
// actions on offer) while it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "hostsuite/dialog_model.h"
#include "hostsuite/terminal_text.h"

namespace kt::hostsuite {

class TerminalDialogView {
public:
    // Without `offerActions` the dialog is only watched: no menu, no prompt.
    explicit TerminalDialogView(std::ostream& out, bool offerActions = true) : out_(out), offerActions_(offerActions) {}

    void PrintAll(const DialogModel& dialog);
    // Prints what changed since the last print, at most twice a second.
    void PrintChanges(const DialogModel& dialog);
    // The actions offered by the last print.
    const std::vector<MenuEntry>& Menu() const { return menu_; }

private:
    std::string Header(const DialogModel& dialog) const;
    void Remember(const DialogModel& dialog, const std::vector<Control>& controls);

    std::ostream& out_;
    const bool offerActions_;
    std::uint64_t seenChanges_ = 0;
    std::chrono::steady_clock::time_point lastPrint_{};
    std::string header_;
    std::map<int, std::string> lines_;
    std::vector<MenuEntry> menu_;
};

}  // namespace kt::hostsuite
