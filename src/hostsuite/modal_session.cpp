#include "hostsuite/modal_session.h"

#include <utility>

#include "hostsuite/transcript_format.h"
#include "log/activity_log.h"

namespace kt::hostsuite {

ModalSession::ModalSession(DialogModel& dialog, TranscriptWriter* transcript)
    : dialog_(dialog), transcript_(transcript) {
    dialog_.BeginModal();
    WriteTranscript(transcript_, DialogOpenLine(dialog_.ResourceId(), dialog_.Caption()));
    WriteNewRows();
}

bool ModalSession::Open() {
    dialog_.DrainPosted();
    return !dialog_.Ended();
}

void ModalSession::WriteNewRows() {
    for (const Control& control : dialog_.Controls()) {
        if (control.kind != ControlKind::List) continue;
        std::vector<std::string> rows = ListRowLines(dialog_.ResourceId(), control);
        std::vector<std::string>& shown = shownRows_[control.id];
        if (rows == shown) continue;
        for (const std::string& line : rows) WriteTranscript(transcript_, line);
        shown = std::move(rows);
    }
}

bool ModalSession::Play(const DialogAction& action) {
    if (!Open()) return false;
    WriteTranscript(transcript_, DialogActionLine(dialog_, action));
    const bool played = PlayAction(dialog_, action);
    WriteNewRows();
    return played;
}

bool ModalSession::WaitForOwnEnd(std::chrono::milliseconds limit) {
    dialog_.PumpUntil([] { return false; }, limit);
    return dialog_.Ended();
}

bool ModalSession::EndUnanswered() {
    if (!Open()) return false;
    if (!dialog_.WaitsForUser() && WaitForOwnEnd(kSelfRunningLimit)) return false;
    if (!dialog_.WaitsForUser()) {
        KT_LOG(Warning) << "Dialog " << dialog_.ResourceId() << " did not end by itself; cancelling it";
    }
    // Nobody answered: a dialog that waits for the user is left as Escape
    // leaves it, which never saves; the others are asked to stop.
    if (dialog_.WaitsForUser()) dialog_.UserEscape();
    else dialog_.Command(kIdCancel);
    // A dialog may answer Cancel by stopping its work first; it is given time
    // to end, then ended.
    if (!dialog_.WaitsForUser() && WaitForOwnEnd(kCancelGrace)) return true;
    if (Open()) dialog_.EndDialog(kIdCancel);
    return true;
}

int ModalSession::Finish(bool unscripted) {
    const int result = dialog_.Result();
    for (const std::string& line : DialogTextLines(dialog_)) WriteTranscript(transcript_, line);
    WriteTranscript(transcript_, DialogEndLine(dialog_.ResourceId(), result, unscripted));
    dialog_.EndModal();
    return result;
}

}  // namespace kt::hostsuite
