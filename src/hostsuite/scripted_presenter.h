// The presenter of tests and demos: every item is answered from a script
// (or gets its safe answer) and written to the transcript.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "hostsuite/presenter.h"
#include "hostsuite/script.h"
#include "hostsuite/transcript_writer.h"

namespace kt::hostsuite {

class ScriptedPresenter : public Presenter {
public:
    // `transcript` may be null.
    ScriptedPresenter(Script script, std::shared_ptr<TranscriptWriter> transcript);

    int ShowMessage(const MessageRequest& request) override;
    int ShowButtons(const ButtonsRequest& request) override;
    std::optional<Credentials> AskCredentials(const std::string& target) override;
    int RunDialog(DialogModel& dialog) override;
    std::optional<std::string> ChooseFolder(Window owner, const std::string& caption,
                                            const std::string& initialFolder) override;
    void ShowBusy(bool busy) override;

protected:
    // The actions the script plays on this dialog (none when no line answers it).
    std::vector<DialogAction> TakeDialogActions(int dialog);
    TranscriptWriter* Transcript() const { return transcript_.get(); }

private:
    // Guards the script's used lines; message boxes may come from any thread.
    std::mutex mutex_;
    Script script_;
    std::shared_ptr<TranscriptWriter> transcript_;
};

}  // namespace kt::hostsuite
