// The failure journal mjlog.log beside the host application, and the
// machine-wide counter of failed runs that goes with it.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "run/run_context.h"

namespace kt::run {

// "------------- [d-m-yyyy, h:mm] -------------\r\n"
std::string JournalHeaderLine(const std::tm& now);
// "h:mm:s - message\r\n"
std::string JournalMessageLine(const std::tm& now, const std::string& message);

// Begins a run's journal (bBegin), journals a message, counts a failed run
// (bFailed) or ends the journal cleanly (neither, no message). Returns 0 for
// a counted failure, else 1. Past five failed runs in a row every further
// one calls the run's showFailureWarning.
int WriteJournal(RunContext& ctx, int bBegin, int bFailed, const char* message);
int WriteJournalAt(RunContext& ctx, int bBegin, int bFailed, const char* message, const std::tm& now);

// While it lives, the run's failure warning is `show` (a dialog that owns the
// warning while it is open); the previous one comes back after.
class FailureWarningScope {
public:
    FailureWarningScope(RunContext& ctx, std::function<void()> show);
    ~FailureWarningScope();
    FailureWarningScope(const FailureWarningScope&) = delete;
    FailureWarningScope& operator=(const FailureWarningScope&) = delete;

private:
    RunContext& ctx_;
    std::function<void()> previous_;
};

}  // namespace kt::run
