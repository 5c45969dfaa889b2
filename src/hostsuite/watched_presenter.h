// The presenter of the demo: a script answers, as in the tests, while the
// terminal shows every item as a person would see it, with the answer the
// script gave and the progress of the dialogs that run by themselves.
#pragma once

#include <ostream>

#include "hostsuite/scripted_presenter.h"

namespace kt::hostsuite {

class WatchedScriptPresenter : public ScriptedPresenter {
public:
    // `transcript` may be null.
    WatchedScriptPresenter(Script script, std::shared_ptr<TranscriptWriter> transcript, std::ostream& out);

    int ShowMessage(const MessageRequest& request) override;
    int ShowButtons(const ButtonsRequest& request) override;
    std::optional<Credentials> AskCredentials(const std::string& target) override;
    int RunDialog(DialogModel& dialog) override;
    std::optional<std::string> ChooseFolder(Window owner, const std::string& caption,
                                            const std::string& initialFolder) override;

private:
    void Say(const std::string& text);

    // One speaker at a time: a worker's message box may come while a dialog runs.
    std::mutex console_;
    std::ostream& out_;
};

}  // namespace kt::hostsuite
