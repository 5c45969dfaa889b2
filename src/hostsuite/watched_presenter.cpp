#include "hostsuite/watched_presenter.h"

#include <utility>

#include "hostsuite/modal_session.h"
#include "hostsuite/terminal_dialog_view.h"
#include "hostsuite/terminal_text.h"
#include "hostsuite/transcript_format.h"

namespace kt::hostsuite {
namespace {

// How often a dialog that runs by itself is redrawn while it is watched.
constexpr std::chrono::milliseconds kWatchSlice{100};

std::string Answered(const std::string& label, bool byScript) {
    return std::string("Réponse ") + (byScript ? "du script" : "par défaut") + " : " + label + "\n";
}

}  // namespace

WatchedScriptPresenter::WatchedScriptPresenter(Script script, std::shared_ptr<TranscriptWriter> transcript,
                                               std::ostream& out)
    : ScriptedPresenter(std::move(script), std::move(transcript)), out_(out) {}

void WatchedScriptPresenter::Say(const std::string& text) {
    std::lock_guard lock(console_);
    out_ << text << std::flush;
}

int WatchedScriptPresenter::ShowMessage(const MessageRequest& request) {
    const std::vector<Choice> choices = MessageChoices(request.style);
    Say(BoxText(request.caption, request.style, request.text, choices));
    const int answer = ScriptedPresenter::ShowMessage(request);
    Say(Answered(ChoiceLabel(choices, answer), true));
    return answer;
}

int WatchedScriptPresenter::ShowButtons(const ButtonsRequest& request) {
    const std::vector<Choice> choices = CustomChoices(request.buttons);
    Say(BoxText(request.caption, request.style, request.text, choices));
    const int answer = ScriptedPresenter::ShowButtons(request);
    Say(Answered(ChoiceLabel(choices, answer), true));
    return answer;
}

std::optional<Credentials> WatchedScriptPresenter::AskCredentials(const std::string& target) {
    Say("\n--- Authentification du serveur proxy ---\n" + target + '\n');
    std::optional<Credentials> answer = ScriptedPresenter::AskCredentials(target);
    Say(Answered(answer ? answer->user + " / ***" : "Annuler", true));
    return answer;
}

std::optional<std::string> WatchedScriptPresenter::ChooseFolder(Window owner, const std::string& caption,
                                                                const std::string& initialFolder) {
    Say("\n--- " + caption + " ---\n");
    std::optional<std::string> answer = ScriptedPresenter::ChooseFolder(owner, caption, initialFolder);
    Say(Answered(answer ? *answer : "Annuler", true));
    return answer;
}

int WatchedScriptPresenter::RunDialog(DialogModel& dialog) {
    ModalSession session(dialog, Transcript());
    TerminalDialogView view(out_, false);
    const auto print = [&](auto&& draw) {
        std::lock_guard lock(console_);
        draw();
    };
    std::vector<DialogAction> actions;
    if (session.Open()) {
        print([&] { view.PrintAll(dialog); });
        actions = TakeDialogActions(dialog.ResourceId());
    }
    for (const DialogAction& action : actions) {
        if (!session.Open()) break;
        Say("Action du script : " + DialogActionLine(dialog, action) + '\n');
        session.Play(action);
        if (session.Open()) print([&] { view.PrintAll(dialog); });
    }
    // A dialog that runs by itself is followed until it ends (within the
    // same bound as when nobody watches it).
    const auto limit = std::chrono::steady_clock::now() + kSelfRunningLimit;
    while (!dialog.WaitsForUser() && session.Open() && std::chrono::steady_clock::now() < limit) {
        print([&] { view.PrintChanges(dialog); });
        dialog.PumpUntil([] { return false; }, kWatchSlice);
    }
    const bool unscripted = session.EndUnanswered();
    const int result = session.Finish(unscripted);
    Say("\n=== " + dialog.Caption() + " : fermée ===\n");
    return result;
}

}  // namespace kt::hostsuite
