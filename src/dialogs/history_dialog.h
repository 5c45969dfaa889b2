// The history dialog: the updates installed on this workstation, the
// uninstall of a restorable one ("Désinstaller") and "Effacer l’historique",
// which forgets them all so that every update can be installed again.
#pragma once

#include <string>

#include "dialogs/history_services.h"
#include "hostsuite/dialog_model.h"
#include "run/run_context.h"

namespace kt::dialogs {

class CKTHistory : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 133;
    // "Désinstaller" is the dialog's OK button, "Fermer" its Cancel button.
    static constexpr int kUninstallButton = hostsuite::kIdOk;
    static constexpr int kCloseButton = hostsuite::kIdCancel;
    static constexpr int kClearButton = 1039;
    static constexpr int kList = 1020;
    static constexpr int kBackgroundImage = 690;
    // Run results.
    static constexpr int kUninstallStarted = 1;
    static constexpr int kClosed = 2;

    CKTHistory(run::RunContext& ctx, HistoryServices services);

protected:
    bool OnInitDialog() override;
    // "Désinstaller".
    void OnOK() override;
    int OnEraseBackground(hostsuite::DeviceContext dc) override;
    void OnDestroy() override;

private:
    void Fill();
    void OnRowStateChanged(int row);
    void Clear();
    // Empties the uninstall folders into the trash; the backup folder is made again, empty.
    void EmptyBackupFolders() const;
    void RewriteGuidFile(const std::string& version);

    run::RunContext& ctx_;
    HistoryServices services_;
    std::string appId_;
    std::string guid_;
};

}  // namespace kt::dialogs
