#include "run/run_report.h"

#include "run/failure_journal.h"

namespace kt::run {
namespace {

const char* SourceName(LogSource source) {
    return source == LogSource::kDownload ? kt::log::kDownloadSource : kt::log::kModuleSource;
}

}  // namespace

void Report(RunContext& ctx, const RunReport& report) {
    log::Statement(report.level, SourceName(report.source), __LINE__, ELPP_FUNC) << report.logLine;
    WriteJournal(ctx, 0, report.failsRun ? 1 : 0, report.journalLine);
}

}  // namespace kt::run
