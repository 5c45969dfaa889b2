#include "hostsuite/scripted_presenter.h"

#include <utility>

#include "hostsuite/modal_session.h"
#include "hostsuite/safe_answers.h"
#include "hostsuite/transcript_format.h"

namespace kt::hostsuite {

ScriptedPresenter::ScriptedPresenter(Script script, std::shared_ptr<TranscriptWriter> transcript)
    : script_(std::move(script)), transcript_(std::move(transcript)) {}

int ScriptedPresenter::ShowMessage(const MessageRequest& request) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_.TakeMessage(request.stringId, request.text);
    const int answer = line != nullptr ? line->answer : SafeMessageAnswer(request.style);
    WriteTranscript(transcript_.get(), MessageLine(request, answer, line == nullptr));
    return answer;
}

int ScriptedPresenter::ShowButtons(const ButtonsRequest& request) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_.TakeButtons(request.stringId, request.text);
    const int answer = line != nullptr ? line->answer : kSafeButtonsAnswer;
    WriteTranscript(transcript_.get(), ButtonsLine(request, answer, line == nullptr));
    return answer;
}

std::optional<Credentials> ScriptedPresenter::AskCredentials(const std::string& target) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_.TakeCredentials();
    std::optional<Credentials> answer;
    if (line != nullptr) answer = line->credentials;
    WriteTranscript(transcript_.get(), CredentialsLine(target, answer, line == nullptr));
    return answer;
}

std::optional<std::string> ScriptedPresenter::ChooseFolder(Window, const std::string& caption,
                                                           const std::string&) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_.TakeFolder();
    std::optional<std::string> answer;
    if (line != nullptr) answer = line->folder;
    WriteTranscript(transcript_.get(), FolderLine(caption, answer, line == nullptr));
    return answer;
}

void ScriptedPresenter::ShowBusy(bool busy) { WriteTranscript(transcript_.get(), BusyLine(busy)); }

std::vector<DialogAction> ScriptedPresenter::TakeDialogActions(int dialog) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_.TakeDialog(dialog);
    return line != nullptr ? line->actions : std::vector<DialogAction>{};
}

int ScriptedPresenter::RunDialog(DialogModel& dialog) {
    ModalSession session(dialog, transcript_.get());
    std::vector<DialogAction> actions;
    if (session.Open()) actions = TakeDialogActions(dialog.ResourceId());
    for (const DialogAction& action : actions) {
        if (!session.Open()) break;
        session.Play(action);
    }
    const bool unscripted = session.EndUnanswered();
    return session.Finish(unscripted);
}

}  // namespace kt::hostsuite
