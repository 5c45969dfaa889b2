// The desktop presenter: every message box and dialog as a real window on
// the toolkit thread, answered by a person or by a script played on the
// widgets; every item shown goes to the transcript as with the other presenters.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gtk/gtk_thread.h"
#include "hostsuite/presenter.h"
#include "hostsuite/script.h"
#include "hostsuite/transcript_writer.h"

namespace kt::gtk {

class DialogWindow;

class GtkPresenter : public hostsuite::Presenter {
public:
    GtkPresenter(GtkThread& toolkit, std::shared_ptr<hostsuite::TranscriptWriter> transcript,
                 std::optional<hostsuite::Script> script, std::string pictureFolder);

    int ShowMessage(const hostsuite::MessageRequest& request) override;
    int ShowButtons(const hostsuite::ButtonsRequest& request) override;
    std::optional<hostsuite::Credentials> AskCredentials(const std::string& target) override;
    int RunDialog(hostsuite::DialogModel& dialog) override;
    std::optional<std::string> ChooseFolder(hostsuite::Window owner, const std::string& caption,
                                            const std::string& initialFolder) override;
    void ShowBusy(bool busy) override;

private:
    // The window boxes and dialogs are shown over: the last dialog opened.
    GtkWindow* TopWindow() const;
    // Runs the dialog's posted work, showing its changes, until `done`, the
    // dialog's end or `limit`. True when `done` held.
    bool PumpShown(hostsuite::DialogModel& dialog, DialogWindow& window, const std::function<bool()>& done,
                   std::chrono::milliseconds limit);
    bool PlayOnWindow(hostsuite::DialogModel& dialog, DialogWindow& window, const hostsuite::DialogAction& action);
    void SavePicture(DialogWindow& window, int resourceId);

    GtkThread& toolkit_;
    std::shared_ptr<hostsuite::TranscriptWriter> transcript_;
    // Guards the script's used lines; items may come from any thread.
    std::mutex mutex_;
    std::optional<hostsuite::Script> script_;
    std::string pictureFolder_;
    // The open dialogs' windows, innermost last; touched on the toolkit thread only.
    std::vector<DialogWindow*> open_;
};

}  // namespace kt::gtk
