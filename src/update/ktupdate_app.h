// The application object: one per loaded module. It owns the run context
// and carries an entry call from the host's record to the end of the run.
#pragma once

#include <ktupdate.h>

#include <initializer_list>
#include <string>

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

    // The scheduled wait of the decision loop (see Scheduler).
    int WaitForSchedule() { return scheduler_.WaitForSchedule(ctx_); }
    int WaitForUpdatingLock(double seconds) { return scheduler_.WaitForUpdatingLock(ctx_, seconds); }

    run::RunContext& Context() { return ctx_; }

private:
    // The critical run after the record is taken; `flag` goes to every
    // message it shows.
    int CheckCriticalVersions(int flag);
    // This workstation lags behind: install what files.xml already holds,
    // or search the Internet, or let the user close the host.
    int CatchUp(int flag, const std::string& installed, const std::string& minimum);
    // The user closes the host: message `id` with the versions; 1.
    int CloseHost(int flag, int id, const std::string& minimum);
    int ShowCritical(int flag, int id, unsigned style, std::initializer_list<std::string> args);

    // Shows the record's problem, if any; true when the record is usable.
    bool AcceptRecord(const tagKTUpdateStruct& record, hostsuite::Window owner);
    void CopyRecord(const tagKTUpdateStruct& record);

    run::RunContext ctx_;
    Scheduler scheduler_;
    bool exited_ = true;
};

}  // namespace kt::update
