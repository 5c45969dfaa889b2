#include "run/failure_journal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "log/activity_log.h"
#include "platform/machine_values.h"

namespace kt::run {
namespace {

constexpr int kFailuresBeforeWarning = 5;

platform::MachineValue FailCount() { return platform::MachineValue("Software/Talvo/Talvo", "FailCount"); }

// The count decides when the user is warned; a count that cannot be kept is
// said in the log, and the run goes on.
void StoreFailCount(const platform::MachineValue& failCount, std::uint32_t count) {
    if (const platform::SysStatus stored = failCount.WriteDword(count); !stored) {
        KT_LOG(Warning) << "Can't store the count of failed runs : " << stored.Error().Describe();
    }
}

// Two processes failing at once both count: the increment is one locked step.
std::uint32_t CountFailedRun(const platform::MachineValue& failCount) {
    const platform::SysResult<std::uint32_t> counted = failCount.IncrementDword();
    if (counted) return *counted;
    KT_LOG(Warning) << "Can't store the count of failed runs : " << counted.Error().Describe();
    return failCount.ReadDword().value_or(0) + 1;
}

std::string Printf(const char* format, int a, int b, int c, int d = 0, int e = 0) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, a, b, c, d, e);
    return buffer;
}

// The host may give its folder with or without a final separator.
std::string JournalPath(const RunContext& ctx) { return (std::filesystem::path(ctx.appDir) / "mjlog.log").string(); }

void AppendToJournal(const RunContext& ctx, const std::string& line) {
    std::ofstream journal(JournalPath(ctx), std::ios::binary | std::ios::app);
    journal << line;
}

}  // namespace

std::string JournalHeaderLine(const std::tm& now) {
    const char* format = now.tm_min < 10 ? "------------- [%d-%d-%d, %d:0%d] -------------\r\n"
                                         : "------------- [%d-%d-%d, %d:%d] -------------\r\n";
    return Printf(format, now.tm_mday, now.tm_mon + 1, now.tm_year + 1900, now.tm_hour, now.tm_min);
}

std::string JournalMessageLine(const std::tm& now, const std::string& message) {
    const char* format = now.tm_min < 10 ? "%d:0%d:%d - " : "%d:%d:%d - ";
    return Printf(format, now.tm_hour, now.tm_min, now.tm_sec) + message + "\r\n";
}

int WriteJournal(RunContext& ctx, int bBegin, int bFailed, const char* message) {
    std::time_t seconds = std::time(nullptr);
    std::tm now{};
    localtime_r(&seconds, &now);
    return WriteJournalAt(ctx, bBegin, bFailed, message, now);
}

int WriteJournalAt(RunContext& ctx, int bBegin, int bFailed, const char* message, const std::tm& now) {
    const bool hasMessage = message != nullptr && *message != '\0';
    const platform::MachineValue failCount = FailCount();

    if (bFailed && ctx.m_nDownloadStatus != -2) {
        const std::uint32_t count = CountFailedRun(failCount);
        // The reason of a failure is what the journal is for: keep its line.
        if (hasMessage) AppendToJournal(ctx, JournalMessageLine(now, message));
        if (count > kFailuresBeforeWarning && ctx.showFailureWarning) ctx.showFailureWarning();
        return 0;
    }
    if (bBegin && failCount.ReadDword().value_or(0) == 0) {
        std::error_code ec;
        std::filesystem::remove(JournalPath(ctx), ec);
    }
    if (!bBegin && !bFailed && !hasMessage) {
        StoreFailCount(failCount, 0);
        return 1;
    }
    if (hasMessage) AppendToJournal(ctx, JournalMessageLine(now, message));
    else if (bBegin) AppendToJournal(ctx, JournalHeaderLine(now));
    return 1;
}

FailureWarningScope::FailureWarningScope(RunContext& ctx, std::function<void()> show)
    : ctx_(ctx), previous_(std::exchange(ctx.showFailureWarning, std::move(show))) {}

FailureWarningScope::~FailureWarningScope() { ctx_.showFailureWarning = std::move(previous_); }

}  // namespace kt::run
