// A step or a failure of the run told to both of its records at once: the
// activity log line at its level, then the journal line. The pairs of texts
// that belong together are written in one place.
#pragma once

#include <string>

#include "log/activity_log.h"
#include "run/run_context.h"

namespace kt::run {

// Whose line it is in the activity log: the module's or its download engine's.
enum class LogSource { kModule, kDownload };

struct RunReport {
    el::Level level;
    std::string logLine;
    const char* journalLine;
    LogSource source = LogSource::kModule;
    // The journal counts the run as failed (and may warn), as it does for a
    // failure that ends the download.
    bool failsRun = false;
};

// Writes the log line, then hands the journal its line; the journal keeps
// its own rules.
void Report(RunContext& ctx, const RunReport& report);

// Reports and gives back the caller's result for this failure.
template <typename Code>
[[nodiscard]] Code ReportFailure(RunContext& ctx, const RunReport& report, Code code) {
    Report(ctx, report);
    return code;
}

}  // namespace kt::run
