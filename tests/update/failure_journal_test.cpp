#include "run/failure_journal.h"

#include <gtest/gtest.h>

#include "dialogs/failure_warning.h"
#include "hostsuite/presenter.h"
#include "platform/machine_values.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"

namespace kt::update {
namespace {

std::tm At(int day, int month, int year, int hour, int minute, int second) {
    std::tm t{};
    t.tm_mday = day;
    t.tm_mon = month - 1;
    t.tm_year = year - 1900;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(JournalLines, MinutesHaveTwoDigitsAndNothingElseIsPadded) {
    EXPECT_EQ(run::JournalHeaderLine(At(3, 3, 2020, 9, 5, 0)), "------------- [3-3-2020, 9:05] -------------\r\n");
    EXPECT_EQ(run::JournalHeaderLine(At(24, 12, 2026, 17, 45, 0)), "------------- [24-12-2026, 17:45] -------------\r\n");
    EXPECT_EQ(run::JournalMessageLine(At(1, 1, 2020, 14, 7, 3), "MJ_X : y"), "14:07:3 - MJ_X : y\r\n");
    EXPECT_EQ(run::JournalMessageLine(At(1, 1, 2020, 8, 30, 59), "z"), "8:30:59 - z\r\n");
}

class WriteJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        presenter_ = std::make_shared<test::RecordingPresenter>();
        hostsuite::InstallPresenter(presenter_);
        ctx_.appDir = tree_.MakeDir("app").string() + "/";
        ctx_.appTitle = "Talvo";
        ctx_.showFailureWarning = [this] { dialogs::ShowFailureWarning(ctx_.ownerWindow, ctx_.appTitle); };
    }
    void TearDown() override { hostsuite::InstallPresenter(nullptr); }

    std::string Journal() const { return test::ReadFile(ctx_.appDir + "mjlog.log"); }
    std::uint32_t FailCount() const {
        return platform::MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword().value_or(0);
    }
    int Write(int begin, int failed, const char* message) {
        return run::WriteJournalAt(ctx_, begin, failed, message, At(3, 3, 2020, 9, 5, 7));
    }

    test::TempTree tree_;
    run::RunContext ctx_;
    std::shared_ptr<test::RecordingPresenter> presenter_;
};

TEST_F(WriteJournalTest, ARunAfterACleanRunStartsANewJournal) {
    ASSERT_EQ(Write(0, 0, "MJ_OLD : ancien"), 1);
    ASSERT_EQ(Write(1, 0, nullptr), 1);
    EXPECT_EQ(Journal(), "------------- [3-3-2020, 9:05] -------------\r\n");
    ASSERT_EQ(Write(0, 0, "MJ_DWL_DU : Session créé."), 1);
    EXPECT_EQ(Journal(), "------------- [3-3-2020, 9:05] -------------\r\n9:05:7 - MJ_DWL_DU : Session créé.\r\n");
}

TEST_F(WriteJournalTest, AFolderGivenWithoutItsSeparatorKeepsTheJournalInside) {
    const std::string folder = ctx_.appDir;
    ctx_.appDir.pop_back();
    ASSERT_EQ(Write(0, 0, "MJ_X : y"), 1);
    EXPECT_EQ(test::ReadFile(folder + "mjlog.log"), "9:05:7 - MJ_X : y\r\n");
}

TEST_F(WriteJournalTest, AfterFailuresTheJournalKeepsGrowingUntilACleanEnd) {
    Write(1, 0, nullptr);
    EXPECT_EQ(Write(0, 1, nullptr), 0);
    EXPECT_EQ(FailCount(), 1u);
    Write(1, 0, nullptr);
    const std::string header = run::JournalHeaderLine(At(3, 3, 2020, 9, 5, 0));
    EXPECT_EQ(Journal(), header + header);
    EXPECT_EQ(Write(0, 0, nullptr), 1);
    EXPECT_EQ(FailCount(), 0u);
    Write(1, 0, nullptr);
    EXPECT_EQ(Journal(), header);
}

TEST_F(WriteJournalTest, AFailureKeepsItsReasonInTheJournal) {
    EXPECT_EQ(Write(0, 1, "MJ_DWL_DU_1 : Problème: session."), 0);
    EXPECT_EQ(Journal(), "9:05:7 - MJ_DWL_DU_1 : Problème: session.\r\n");
    EXPECT_EQ(FailCount(), 1u);
}

TEST_F(WriteJournalTest, ATransferErrorWritesItsMessageButDoesNotCount) {
    ctx_.m_nDownloadStatus = -2;
    EXPECT_EQ(Write(0, 1, "MJ_DWL_DU_4 : erreur"), 1);
    EXPECT_EQ(FailCount(), 0u);
    EXPECT_EQ(Journal(), "9:05:7 - MJ_DWL_DU_4 : erreur\r\n");
}

TEST_F(WriteJournalTest, TheSixthFailureInARowWarnsAndSoDoesEveryFurtherOne) {
    for (int run = 1; run <= 5; ++run) Write(0, 1, nullptr);
    EXPECT_TRUE(presenter_->messages.empty());
    Write(0, 1, nullptr);
    ASSERT_EQ(presenter_->messages.size(), 1u);
    EXPECT_EQ(presenter_->messages[0].stringId, 1018);
    EXPECT_EQ(presenter_->messages[0].text, "Echec du téléchargement. Aucune mise à jour n'est installée.");
    EXPECT_EQ(presenter_->messages[0].caption, "Talvo");
    EXPECT_EQ(presenter_->messages[0].style, 0x10u);
    Write(0, 1, nullptr);
    EXPECT_EQ(presenter_->messages.size(), 2u);
    Write(0, 0, nullptr);
    Write(0, 1, nullptr);
    EXPECT_EQ(presenter_->messages.size(), 2u);
}

TEST_F(WriteJournalTest, AnUnwritableJournalIsIgnored) {
    ctx_.appDir = (tree_ / "missing/").string();
    EXPECT_EQ(Write(0, 0, "MJ_X : y"), 1);
    EXPECT_EQ(Write(0, 1, "MJ_X : y"), 0);
    EXPECT_EQ(FailCount(), 1u);
}

}  // namespace
}  // namespace kt::update
