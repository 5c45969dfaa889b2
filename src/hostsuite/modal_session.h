// One modal run of a dialog as every presenter performs it: the opening,
// the actions played with their transcript lines, the end of a dialog nobody
// answers further, and the closing lines.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "hostsuite/dialog_action.h"
#include "hostsuite/dialog_model.h"
#include "hostsuite/transcript_writer.h"

namespace kt::hostsuite {

// How long a dialog that runs by itself is given to end on its own, and then
// to end after being asked to cancel.
inline constexpr std::chrono::minutes kSelfRunningLimit{15};
inline constexpr std::chrono::minutes kCancelGrace{1};

class ModalSession {
public:
    // Opens the dialog (its initialisation runs here) and writes its line.
    ModalSession(DialogModel& dialog, TranscriptWriter* transcript);
    ModalSession(const ModalSession&) = delete;
    ModalSession& operator=(const ModalSession&) = delete;

    // False once the dialog has ended; runs what other threads posted first.
    bool Open();
    // Writes the action's line and plays it on the open dialog.
    bool Play(const DialogAction& action);
    // The same, the action being played by `player` (on a presenter's own
    // widgets, say), which reports whether it had an effect.
    bool Play(const DialogAction& action, const std::function<bool(const DialogAction&)>& player);
    // Ends a dialog that nobody answers any more: Cancel for a dialog that
    // waits for the user; a dialog that runs by itself is waited for (within
    // bounds). True when the presenter chose the end.
    bool EndUnanswered();
    // Writes the closing lines, finishes the run and returns its result.
    int Finish(bool unscripted);

private:
    // Writes the rows of each list filled since they were last written.
    void WriteNewRows();
    bool WaitForOwnEnd(std::chrono::milliseconds limit);

    DialogModel& dialog_;
    TranscriptWriter* transcript_;
    // The row lines last written, by list.
    std::map<int, std::vector<std::string>> shownRows_;
};

}  // namespace kt::hostsuite
