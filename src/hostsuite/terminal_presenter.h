// The interactive presenter: message boxes and dialogs shown in the terminal
// in French, answered from the keyboard. When the input ends, every item
// still to come gets its safe answer.
#pragma once

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "hostsuite/presenter.h"
#include "hostsuite/terminal_text.h"
#include "hostsuite/transcript_writer.h"
#include "platform/console_input.h"

namespace kt::hostsuite {

class TerminalPresenter : public Presenter {
public:
    using LineReader = std::function<platform::ConsoleRead(std::string&, std::chrono::milliseconds)>;

    // `transcript` may be null. Reads the standard input, writes `out`.
    explicit TerminalPresenter(std::shared_ptr<TranscriptWriter> transcript, std::ostream& out = std::cout,
                               LineReader reader = platform::ReadConsoleLine);

    int ShowMessage(const MessageRequest& request) override;
    int ShowButtons(const ButtonsRequest& request) override;
    std::optional<Credentials> AskCredentials(const std::string& target) override;
    int RunDialog(DialogModel& dialog) override;
    std::optional<std::string> ChooseFolder(Window owner, const std::string& caption,
                                            const std::string& initialFolder) override;
    void ShowBusy(bool busy) override;

private:
    // The next typed line after printing `prompt`; nothing once the input
    // has ended. Called with the console held.
    std::optional<std::string> AskLine(const std::string& prompt);
    // A choice among `choices`; the safe one (and `unscripted`) when the
    // input has ended.
    int Choose(const std::string& caption, unsigned style, const std::string& text,
               const std::vector<Choice>& choices, int safe, bool& unscripted);
    // The action a menu entry stands for, asking for its text or item.
    std::optional<DialogAction> CompleteAction(const DialogModel& dialog, const MenuEntry& entry);

    // One speaker at a time: a worker's message box waits for the dialog's
    // prompt to finish, and the other way round.
    std::mutex console_;
    std::shared_ptr<TranscriptWriter> transcript_;
    std::ostream& out_;
    LineReader reader_;
};

}  // namespace kt::hostsuite
