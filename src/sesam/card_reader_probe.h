// The probe of the installed Sesam Vitale pack through the card-reader
// library of the application folder: its software record, its table
// components and its modules, read into the run's pack state.
#pragma once

#include "sesam/pack_check_session.h"
#include "run/run_context.h"

namespace kt::sesam {

// Marks the probe as done and runs it: 1 when the library answered all
// three queries with usable records, else 0. Without sesam.ini it does
// nothing (the pack is not installed). A failed status of the software or
// component query is reported through the library; a failed module query
// asks the user to switch the card reader on (Retry) or to go on without
// it (Cancel).
int ProbeCardReader(run::RunContext& ctx, PackCheckSession& session);

}  // namespace kt::sesam
