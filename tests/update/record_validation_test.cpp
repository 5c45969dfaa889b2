#include "update/record_validation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_tree.h"

namespace kt::update {
namespace {

class RecordValidationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::strcpy(record_.szAppDir, tree_.MakeDir("app").c_str());
        std::strcpy(record_.szDataDir, tree_.MakeDir("data").c_str());
        record_.pszVerMajor = "5";
        record_.pszVerMinor = "2";
        record_.pszPractitioner = "Dr Martin";
    }
    test::TempTree tree_;
    tagKTUpdateStruct record_;
};

TEST_F(RecordValidationTest, TheFirstFailingRuleDecides) {
    EXPECT_EQ(FindRecordProblem(record_), 0);

    record_.pszVerMinor = nullptr;
    EXPECT_EQ(FindRecordProblem(record_), 1078);
    record_.pszPractitioner = nullptr;
    EXPECT_EQ(FindRecordProblem(record_), 1084) << "no practitioner wins over a bad version";
    record_.pszVerMinor = "2";
    EXPECT_EQ(FindRecordProblem(record_), 1084);
}

TEST_F(RecordValidationTest, MissingFoldersAreReportedDataFolderFirst) {
    std::strcpy(record_.szAppDir, (tree_ / "nowhere").c_str());
    EXPECT_EQ(FindRecordProblem(record_), 1098);
    std::strcpy(record_.szDataDir, (tree_ / "nowhere-either").c_str());
    EXPECT_EQ(FindRecordProblem(record_), 1100);
}

TEST_F(RecordValidationTest, AFolderFieldWithoutTerminatorIsReadWithinItsSize) {
    std::memset(record_.szDataDir, 'x', sizeof record_.szDataDir);
    EXPECT_EQ(FindRecordProblem(record_), 1100);
}

TEST(RecordVersion, AMissingThirdPartIsZero) {
    tagKTUpdateStruct record;
    record.pszVerMajor = "5";
    record.pszVerMinor = "10";
    EXPECT_EQ(RecordVersion(record), "5.10.0");
    record.pszVerBuild = "3";
    EXPECT_EQ(RecordVersion(record), "5.10.3");
}

}  // namespace
}  // namespace kt::update
