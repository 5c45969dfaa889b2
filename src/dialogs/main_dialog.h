// The main update dialog "Mise à jour de ..." (resource 102): where the
// updates come from (the Internet, the local network or a directory) and
// whether this workstation downloads for the others. "Commencer" saves the
// choice and ends with OK once a chosen directory holds an update;
// "Fermer" and the close box save it and end with Cancel; Escape and an
// ending asked by the history dialog leave without saving.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "hostsuite/dialog_model.h"
#include "platform/dialog_registry.h"
#include "run/run_context.h"

namespace kt::dialogs {

// What the dialog needs from the layers above it.
struct MainDialogServices {
    // "Options...": shows the options dialog modally with this dialog as parent.
    std::function<void(hostsuite::Window parent)> openOptions;
    // "Historique": shows the history dialog modally; its uninstall calls
    // `endWithoutSaving`, which ends this dialog with Cancel without saving.
    std::function<void(hostsuite::Window parent, std::function<void()> endWithoutSaving)> openHistory;
};

// The choice saved when the dialog ended with OK (1).
struct MainDialogChoice {
    bool internet = false, network = false, directory = false;
    // Ends with "/" unless empty.
    std::string directoryText;
};

class CKTupdateDLLDlg : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 102;
    static constexpr int kBackgroundImage = 688;

    // The parent window places the dialog; the presenter does that here.
    CKTupdateDLLDlg(run::RunContext& ctx, hostsuite::Window parent, MainDialogServices services);

    const MainDialogChoice& Choice() const { return choice_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnEscape() override;
    int OnEraseBackground(hostsuite::DeviceContext dc) override;
    void OnDestroy() override;

private:
    void AddControls();
    void BindHandlers();

    // Opening.
    void ReadSource();
    void ReadNetworkDownload();
    void ReadDirectory();

    // Enabling that follows the source chosen.
    void ApplySource(bool directoryEnabled, bool networkEnabled);

    void Browse();
    // The folder the browser starts on: the edit's folder, or the folder
    // holding what it names when that is not a folder.
    std::string BrowseStart() const;

    // Records the source, the network download and the directory; false
    // when the user starts with a directory that holds no update.
    [[nodiscard]] bool SaveChoice(bool start);

    run::RunContext& ctx_;
    MainDialogServices services_;
    const std::string appId_;
    std::string guid_;
    std::string guidFile_;
    MainDialogChoice choice_;
    std::unique_ptr<platform::OpenDialogRegistration> registration_;
};

}  // namespace kt::dialogs
