// The failure journal mjlog.log beside the host application, and the
// machine-wide counter of failed runs that goes with it.
#pragma once

#include <ctime>
#include <string>

#include "hostsuite/presenter.h"
#include "run/run_context.h"

namespace kt::run {

// "------------- [d-m-yyyy, h:mm] -------------\r\n"
std::string JournalHeaderLine(const std::tm& now);
// "h:mm:s - message\r\n"
std::string JournalMessageLine(const std::tm& now, const std::string& message);

// Begins a run's journal (bBegin), journals a message, counts a failed run
// (bFailed) or ends the journal cleanly (neither, no message). Returns 0 for
// a counted failure, else 1.
int WriteJournal(RunContext& ctx, hostsuite::Window owner, int bBegin, int bFailed,
                 const char* message);
int WriteJournalAt(RunContext& ctx, hostsuite::Window owner, int bBegin, int bFailed,
                   const char* message, const std::tm& now);

}  // namespace kt::run
