// The dial-up dialog: connects a phone-book entry, asking for the password
// when none is saved, shows the steps of the call in one status line, and
// ends with OK once the link is up (or was up already), Cancel otherwise.
//
// Three threads meet here: the dialog's own, the dial worker (phone book,
// password, start of the call) and the dial-up service's notifications. The
// worker and the notifications set the status line and end the dialog; what
// the worker shows (the password dialog, an error) the dialog's thread shows.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "connect/dialer.h"
#include "hostsuite/dialog_model.h"
#include "run/run_context.h"
#include "run/worker_thread.h"

namespace kt::connect {

class CRASDlg : public hostsuite::DialogModel {
public:
    static constexpr int kResourceId = 144;
    static constexpr int kStatusText = 1034;
    // How long "Connexion établie!" shows before the dialog ends with OK.
    static constexpr std::chrono::milliseconds kConnectedHold{2000};

    CRASDlg(const run::RunContext& ctx, Dialer& dialer, std::string entryName,
            std::chrono::milliseconds connectedHold = kConnectedHold);
    ~CRASDlg() override;

    // The call this dialog started; 0 when it started none (the entry was
    // already connected, or the dial never began). Read after the run.
    DialHandle ConnectionHandle() const { return handle_; }

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    void DialWorker();
    bool IsAlreadyConnected();
    // Reads the saved parameters; false (the dialog then ends) when they cannot be read.
    bool ReadDialParams(bool& passwordSaved);
    bool AskPassword();
    void StartCall();
    void ShowStatus(int state, unsigned error);
    void JoinWorker();

    // What a call's notifications reach the dialog through: the dialog
    // while it runs that call, nothing once it ran another or went away.
    struct Link {
        std::mutex mutex;
        CRASDlg* dialog = nullptr;
    };
    void Unlink();
    static void OnDialNotification(const std::shared_ptr<Link>& link, int state, unsigned error);

    const run::RunContext& ctx_;
    Dialer& dialer_;
    const std::string entryName_;
    const std::chrono::milliseconds connectedHold_;
    DialParams params_;
    std::atomic<DialHandle> handle_{0};
    std::shared_ptr<Link> link_;
    run::WorkerThread worker_;
};

}  // namespace kt::connect
