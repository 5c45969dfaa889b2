// The download dialog "Téléchargement" (resource 130). For an Internet
// update it reads the connection settings and starts a worker thread that
// runs the transfer attempts and ends the dialog; for a local update it
// copies the packages itself while it opens. Annuler, the close box and
// Escape ask before they cancel; the dialog waits for its worker before it
// goes away.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "download/download_job.h"
#include "download/download_services.h"
#include "download/update_search.h"
#include "hostsuite/dialog_model.h"
#include "platform/dialog_registry.h"
#include "run/failure_journal.h"
#include "run/run_context.h"
#include "run/worker_thread.h"

namespace kt::download {

class CKTDownload : public hostsuite::DialogModel {
public:
    // `localFolder` is the source of a local update (`mode` kLocal). The
    // parent window places the dialog; the presenter does that here.
    CKTDownload(run::RunContext& ctx, hostsuite::Window parent, SourceMode mode, const std::string& localFolder,
                DownloadServices services = {});
    ~CKTDownload() override;

    // Reads the connection settings and starts the worker; 1.
    int MainDownloader();

    // The result of each transfer attempt of the run, once the dialog has ended.
    const std::vector<unsigned>& AttemptResults() const { return job_.results; }

protected:
    bool OnInitDialog() override;
    void OnClose() override { ConfirmCancel(); }
    void OnEscape() override { ConfirmCancel(); }
    int OnEraseBackground(hostsuite::DeviceContext dc) override;
    void OnDestroy() override;

private:
    void ConfirmCancel();
    void StopWorker();
    void StartInternet();

    run::RunContext& ctx_;
    const SourceMode mode_;
    DownloadServices services_;
    // The check used when the run gives none.
    std::unique_ptr<connect::InternetConnection> ownConnection_;
    UpdateSearch search_;
    DownloadJob job_;
    // While the dialog is open, the warning that runs keep failing is its own.
    run::FailureWarningScope failureWarning_;
    run::WorkerThread worker_;
    std::unique_ptr<platform::OpenDialogRegistration> registration_;
};

}  // namespace kt::download
