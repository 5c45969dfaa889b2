// The application object: one per loaded module. It owns the run context
// and carries an entry call from the host's record to the end of the run.
#pragma once

#include <ktupdate.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "connect/internet_connection.h"
#include "hostsuite/dialog_model.h"
#include "hostsuite/presenter.h"
#include "run/run_context.h"
#include "update/scheduler.h"

namespace kt::update {

class CKTupdateDLLApp {
public:
    // Configures the activity log and logs the load line.
    CKTupdateDLLApp();
    ~CKTupdateDLLApp();
    CKTupdateDLLApp(const CKTupdateDLLApp&) = delete;
    CKTupdateDLLApp& operator=(const CKTupdateDLLApp&) = delete;

    int MainUpdateFnc(KTInstanceHandle hInstance, int nCmdShow, const tagKTUpdateStruct& record);
    int CriticalUpdate(KTInstanceHandle hInstance, const tagKTUpdateStruct& record, bool bFlag);

    // Non-zero when this call of MainUpdateFnc must do nothing more: a
    // teletransmission call while scheduled updates run, an open download
    // dialog, another workstation's lock, or a run already in progress.
    int IsRunBlocked(hostsuite::Window owner, const char* updateDir, int bAtStart, int bTeletrans,
                     const char* appDir);
    void CloseRunHandles();
    // Ends a run: releases a waiting scheduler, closes the run handles and
    // removes the network lock.
    int ExitInstance();

    // The run decision of an entry call; 1 at load (nothing requested).
    int InitInstance();

    // Runs the download dialog under the network lock; 1 when it ended with
    // OK. Unless `bNoAsk`, asks before handing over to the installer.
    int RunDownload(int bLocal, const char* pszDir, int bNoAsk);
    // The same download, never followed by an installation.
    int RunDownloadOnly(int bLocal, const char* pszDir, int reserved);

    // The scheduled wait of the decision loop (see Scheduler).
    int WaitForSchedule() { return scheduler_.WaitForSchedule(ctx_); }
    int WaitForUpdatingLock(double seconds) { return scheduler_.WaitForUpdatingLock(ctx_, seconds); }

    run::RunContext& Context() { return ctx_; }

private:
    // Where the lock is taken when installation is offered.
    enum class LockOrder { kBeforeAsking, kAfterYes };

    // The cases of a run.
    int TeletransInstallOnly();
    int Teletrans();
    int Critical();
    int NormalCase();

    // Steps of the normal case.
    void ConfigurationQuestion(const std::string& guid);
    void SwitchToLocalNetwork(const std::string& guid, bool fromYes);
    void FirstRunQuestion(const std::string& guid);
    void CheckAndUpdateFromInternet();
    // The decision loop; its value ends InitInstance.
    int DecisionLoop();
    // One pass started without prompting; nothing when `type` is unknown.
    std::optional<int> StartWithoutPrompting(int type);
    // A scheduled pass; a value when it ends the run.
    std::optional<int> RunScheduledType(int type);
    void ShowMainDialog();
    // The choices of the main dialog, handled in this order.
    void HandleChoices(bool internet, bool network, bool directory, const std::string& directoryText);
    // Repeats the connection check, showing the no-connection dialog after
    // each failure; false when the user gave up.
    bool ConnectWithRetry();
    // Downloads, and when nothing came (and no transfer failed) offers what
    // other workstations left in the update folder. 1 when the download
    // dialog ended with OK.
    int DownloadOrFallBack(int bLocal, const std::string& dir, LockOrder order);
    // Offers what is ready in the update folder; false when nothing is.
    bool OfferFromNetwork(LockOrder order);
    std::string LocalUpdateFolder() const;

    // Offers the ready packages (message 1060) and starts the installer on Yes.
    void OfferInstallation(LockOrder order);
    // Takes the network lock; false (user told or logged) when another
    // workstation holds it.
    bool SetUpdatingLock();
    int RunDownloadDialog(int bLocal, const char* pszDir);
    int ConnectionCheck();
    // Runs one of the run's own dialogs, registered so that a second call
    // finds it and brings it back.
    int RunModuleDialog(hostsuite::DialogModel& dialog);
    int OpenOptions(hostsuite::Window parent);
    std::string AppId() const;
    int ReadFlag(const char* element, const char* attribute, std::size_t length) const;

    // Shows the record's problem, if any; true when the record is usable.
    bool AcceptRecord(const tagKTUpdateStruct& record, hostsuite::Window owner);
    void CopyRecord(const tagKTUpdateStruct& record);

    run::RunContext ctx_;
    Scheduler scheduler_;
    bool exited_ = true;
    // The run's connection check: it keeps the dial-up link it opened, which
    // the run hangs up after the download.
    std::unique_ptr<connect::InternetConnection> connection_;
    // Another workstation won the network lock during this call: the user
    // was told once, and nothing more is tried.
    bool lockedOut_ = false;
    // This workstation's GUID, once the normal case has it.
    std::string guid_;
};

}  // namespace kt::update
