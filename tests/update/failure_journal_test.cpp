// The failure journal mjlog.log: a new one at the start of a run after a
// clean one, growing after failures, and the warning after five in a row.
#include "run/failure_journal.h"

#include <gtest/gtest.h>

#include "dialogs/failure_warning.h"
#include "platform/machine_values.h"
#include "support/workstation.h"

namespace kt::update {
namespace {

class FailureJournalTest : public test::Workstation {
protected:
    FailureJournalTest() {
        ctx.showFailureWarning = [this] { dialogs::ShowFailureWarning(ctx.ownerWindow, ctx.appTitle); };
    }
    std::string File() const { return test::ReadFile(ctx.appDir + "mjlog.log"); }
    static std::uint32_t FailCount() {
        return platform::MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword().value_or(0);
    }
    int Write(int begin, int failed, const char* message = nullptr) {
        return run::WriteJournalAt(ctx, begin, failed, message, LocalTime(3, 3, 2020, 9, 5, 7));
    }
    static constexpr const char* kHeader = "------------- [3-3-2020, 9:05] -------------\r\n";
};

TEST_F(FailureJournalTest, ANewJournalAfterACleanRunAGrowingOneAfterFailures) {
    ASSERT_EQ(Write(0, 0, "MJ_OLD : ancien"), 1);
    ASSERT_EQ(Write(1, 0), 1);
    ASSERT_EQ(Write(0, 0, "MJ_DWL_DU : Session créé."), 1);
    EXPECT_EQ(File(), std::string(kHeader) + "9:05:7 - MJ_DWL_DU : Session créé.\r\n");
    EXPECT_EQ(Write(0, 1), 0);
    EXPECT_EQ(FailCount(), 1u);
    Write(1, 0);
    EXPECT_EQ(File(), std::string(kHeader) + "9:05:7 - MJ_DWL_DU : Session créé.\r\n" + kHeader);
    EXPECT_EQ(Write(0, 0), 1);
    EXPECT_EQ(FailCount(), 0u);
    Write(1, 0);
    EXPECT_EQ(File(), kHeader);
}

TEST_F(FailureJournalTest, OneWriteCountsAFailureUnlessATransferErrorEndedTheRun) {
    const std::string app = ctx.appDir;
    const struct {
        const char* what;
        std::string appDir;
        int downloadStatus;
        int result;
        std::uint32_t failures;
        const char* file;
    } cases[] = {
        {"failure", app, 0, 0, 1, "9:05:7 - MJ_X : y\r\n"},
        {"transfer error", app, -2, 1, 0, "9:05:7 - MJ_X : y\r\n"},
        {"folder without its separator", app.substr(0, app.size() - 1), 0, 0, 1, "9:05:7 - MJ_X : y\r\n"},
        {"journal that cannot be written", app + "missing/", 0, 0, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(app + "mjlog.log");
        (void)platform::MachineValue("Software/Talvo/Talvo", "FailCount").WriteDword(0);
        ctx.appDir = c.appDir;
        ctx.m_nDownloadStatus = c.downloadStatus;
        EXPECT_EQ(Write(0, 1, "MJ_X : y"), c.result);
        EXPECT_EQ(FailCount(), c.failures);
        EXPECT_EQ(test::ReadFile(app + "mjlog.log"), c.file);
    }
}

TEST_F(FailureJournalTest, TheSixthFailureInARowWarnsAndSoDoesEveryFurtherOne) {
    for (int run = 1; run <= 5; ++run) Write(0, 1);
    EXPECT_TRUE(presenter->messages.empty());
    Write(0, 1);
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style), std::tuple(1018, "Talvo", 0x10u));
    Write(0, 1);
    EXPECT_EQ(presenter->messages.size(), 2u);
    Write(0, 0);
    Write(0, 1);
    EXPECT_EQ(presenter->messages.size(), 2u);
}

}  // namespace
}  // namespace kt::update
