// The record the host passes at the entry: the first failing rule decides
// the message shown. Each rule alone is met by the entry-point runs; here the
// order and the bounds.
#include "update/record_validation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_tree.h"

namespace kt::update {
namespace {

TEST(RecordValidationTest, TheFirstFailingRuleDecides) {
    test::TempTree tree;
    const std::string app = tree.MakeDir("app").string(), data = tree.MakeDir("data").string();
    const std::string nowhere = (tree / "nowhere").string();
    const struct {
        const char* what;
        std::string appDir;
        std::string dataDir;  // "x": a field full of 'x', without terminator
        const char* minor;
        const char* practitioner;
        int problem;
    } cases[] = {
        {"no practitioner, over a bad version", app, data, nullptr, nullptr, 1084},
        {"no application folder", nowhere, data, "2", "Dr Martin", 1098},
        {"data folder without terminator", app, "x", "2", "Dr Martin", 1100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tagKTUpdateStruct record;
        std::strcpy(record.szAppDir, c.appDir.c_str());
        if (c.dataDir == "x") std::memset(record.szDataDir, 'x', sizeof record.szDataDir);
        else std::strcpy(record.szDataDir, c.dataDir.c_str());
        record.pszVerMajor = "5";
        record.pszVerMinor = c.minor;
        record.pszPractitioner = c.practitioner;
        EXPECT_EQ(FindRecordProblem(record), c.problem);
    }
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
