// The main dialog of a run from the menu, or of a waiting run woken by a
// second call, and the choice it ends with.
#include <utility>

#include "dialogs/history_dialog.h"
#include "dialogs/main_dialog.h"
#include "log/activity_log.h"
#include "update/history_services.h"
#include "update/ktupdate_app.h"

namespace kt::update {

void CKTupdateDLLApp::ShowMainDialog() {
    ctx_.bAtStart = 0;
    KT_LOG(Info) << "Show update dialog";
    dialogs::MainDialogServices services;
    services.openOptions = [this](hostsuite::Window parent) { (void)OpenOptions(parent); };
    services.openHistory = [this](hostsuite::Window, std::function<void()> endWithoutSaving) {
        dialogs::CKTHistory history(ctx_, MakeHistoryServices(ctx_, std::move(endWithoutSaving)));
        (void)hostsuite::ActivePresenter().RunDialog(history);
    };
    // The dialog registers itself, so that a second call brings it back.
    dialogs::CKTupdateDLLDlg dialog(ctx_, nullptr, std::move(services));
    if (hostsuite::ActivePresenter().RunDialog(dialog) != hostsuite::kIdOk) return;
    const dialogs::MainDialogChoice& choice = dialog.Choice();
    HandleChoices(choice.internet, choice.network, choice.directory, choice.directoryText);
}

}  // namespace kt::update
