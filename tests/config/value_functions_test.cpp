// Versions, date keys and the age of a last-update date.
#include <gtest/gtest.h>

#include "config/date_number.h"
#include "config/default_config.h"
#include "config/last_update_age.h"
#include "config/version_compare.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::LocalTime;

TEST(CompareVersionsTest, PartsCompareAsNumbers) {
    EXPECT_EQ(CompareVersions("5.10.1", "5.9.3"), 1);
    EXPECT_EQ(CompareVersions("5.9.3", "5.10.1"), -1);
    EXPECT_EQ(CompareVersions("5.2", "5.2.0"), -1);
    EXPECT_EQ(CompareVersions("5.2.0", "5.2"), 1);
    EXPECT_EQ(CompareVersions("5.2.0.7", "5.2.0.1"), 0);
    EXPECT_EQ(CompareVersions("5.2.0", "5.2.0"), 0);
    EXPECT_EQ(CompareVersions("6", "5.99.99"), 1);
    EXPECT_EQ(CompareVersions("5.2.99999999999999999999", "5.2.1"), 1) << "huge parts do not overflow";
}

TEST(CompareVersionsTest, AbsentVersionIsLowest) {
    EXPECT_EQ(CompareVersions(nullptr, "5.2.0"), -1);
    EXPECT_EQ(CompareVersions("5.2.0", nullptr), 1);
    EXPECT_EQ(CompareVersions(nullptr, nullptr), 0);
    EXPECT_EQ(CompareVersions("", "0"), -1);
}

TEST(CompareVersionsTest, OnlyTheFirst51CharactersCount) {
    const std::string padding(49, '0');
    EXPECT_EQ(CompareVersions(("5." + padding + "1").c_str(), ("5." + padding + "2").c_str()), 0);
    EXPECT_EQ(CompareVersions(("5." + padding.substr(1) + "1").c_str(), ("5." + padding.substr(1) + "2").c_str()), -1);
}

TEST(DateToNumberTest, OrdersDates) {
    EXPECT_EQ(DateToNumber("4.12.2026"), 20261204);
    EXPECT_EQ(DateToNumber("31.1.2027"), 20270131);
    EXPECT_LT(DateToNumber("31.12.2026"), DateToNumber("1.1.2027"));
    EXPECT_EQ(DateToNumber("0"), 0) << "no Sesam pack";
    EXPECT_EQ(DateToNumber("4.12"), 0);
    EXPECT_EQ(DateToNumber(nullptr), 0);
    EXPECT_EQ(DateToNumber("4.12.2026.9"), 20261204);
}

class LastUpdateAgeTest : public test::ConfigTest {};

TEST_F(LastUpdateAgeTest, DayPastTheEndOfItsMonthIsItsLastDay) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    EXPECT_NE(test::ReadFile(AppId()).find(">31.2.2026</LastUpdate>"), std::string::npos);
    // From 28 February: 31 days; a date rolled over to 3 March would give 28.
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(31, 3, 2026, 9, 30)), 31);
}

TEST_F(LastUpdateAgeTest, CountsWholeDaysFromMidnight) {
    WriteAppId("<Workstation><LastUpdate>5.12.2026</LastUpdate></Workstation>");
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(5, 12, 2026, 23, 59, 59)), 0);
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(6, 12, 2026, 0, 0, 0)), 1);
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(4, 1, 2027, 8, 0, 0)), 30);
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(3, 12, 2026, 12, 0, 0)), -1);
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(4, 12, 2026, 12, 0, 0)), 0) << "truncated toward zero";
}

TEST_F(LastUpdateAgeTest, MissingDateCountsAsThirtyDays) {
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(1, 1, 2027)), kUnknownLastUpdateAge);
    WriteAppId("<Workstation><Version>5.2.0</Version></Workstation>");
    EXPECT_EQ(DaysSinceLastUpdate(AppId(), LocalTime(1, 1, 2027)), kUnknownLastUpdateAge);
}

TEST_F(LastUpdateAgeTest, DateThatNamesNoDayIsVeryOld) {
    WriteAppId("<Workstation><LastUpdate>12.13.2026</LastUpdate></Workstation>");
    EXPECT_GT(DaysSinceLastUpdate(AppId(), LocalTime(1, 1, 2027)), 40000);
    WriteAppId("<Workstation><LastUpdate>hier</LastUpdate></Workstation>");
    EXPECT_GT(DaysSinceLastUpdate(AppId(), LocalTime(1, 1, 2027)), 40000);
}

}  // namespace
}  // namespace kt::config
