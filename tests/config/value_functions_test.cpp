// Versions, date keys and the age of a last-update date.
#include <gtest/gtest.h>

#include "config/date_number.h"
#include "config/last_update_age.h"
#include "config/version_compare.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

TEST(CompareVersionsTest, PartsCompareAsNumbersAndAnAbsentVersionIsLowest) {
    const std::string zeros(48, '0');  // only the first 51 characters count
    const std::string cut1 = "5.0" + zeros + "1", cut2 = "5.0" + zeros + "2", fit1 = "5." + zeros + "1",
                      fit2 = "5." + zeros + "2";
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"5.10.1", "5.9.3", 1}, {"5.2", "5.2.0", -1},     {"5.2.0.7", "5.2.0.1", 0}, {"6", "5.99.99", 1},
        {"5.2.99999999999999999999", "5.2.1", 1},         {nullptr, "5.2.0", -1},    {nullptr, nullptr, 0},
        {"", "0", -1},          {cut1.c_str(), cut2.c_str(), 0},                     {fit1.c_str(), fit2.c_str(), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "null") + " vs " + (c.b ? c.b : "null"));
        EXPECT_EQ(CompareVersions(c.a, c.b), c.expected);
        EXPECT_EQ(CompareVersions(c.b, c.a), -c.expected);
    }
}

TEST(DateToNumberTest, OrdersDates) {
    EXPECT_EQ(DateToNumber("4.12.2026.9"), 20261204);
    EXPECT_LT(DateToNumber("31.12.2026"), DateToNumber("1.1.2027"));
    for (const char* none : {"0", "4.12", static_cast<const char*>(nullptr)}) EXPECT_EQ(DateToNumber(none), 0);
}

using LastUpdateAgeTest = test::Workstation;

TEST_F(LastUpdateAgeTest, CountsWholeDaysFromMidnight) {
    constexpr int kVeryOld = 40000;
    const struct {
        const char* date;  // null: no LastUpdate; "-": no appid.xml
        std::tm now;
        int days;
    } cases[] = {
        {"-", LocalTime(1, 1, 2027), kUnknownLastUpdateAge},  // first, before any appid.xml
        {"31.2.2026", LocalTime(31, 3, 2026, 9, 30), 31},  // the last day of February, not 3 March
        {"5.12.2026", LocalTime(5, 12, 2026, 23, 59, 59), 0},
        {"5.12.2026", LocalTime(6, 12, 2026, 0, 0, 0), 1},
        {"5.12.2026", LocalTime(4, 1, 2027, 8, 0, 0), 30},
        {"5.12.2026", LocalTime(3, 12, 2026, 12, 0, 0), -1},
        {"5.12.2026", LocalTime(4, 12, 2026, 12, 0, 0), 0},  // truncated toward zero
        {nullptr, LocalTime(1, 1, 2027), kUnknownLastUpdateAge},
        {"12.13.2026", LocalTime(1, 1, 2027), kVeryOld},  // impossible dates are very old
        {"hier", LocalTime(1, 1, 2027), kVeryOld},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date ? c.date : "none") + " on " + std::to_string(c.now.tm_mday));
        const std::string dated = c.date ? std::string("<LastUpdate>") + c.date + "</LastUpdate>" : "";
        if (dated != "<LastUpdate>-</LastUpdate>") WriteAppId("<Workstation><Version>5.2.0</Version>" + dated + "</Workstation>");
        const int days = DaysSinceLastUpdate(AppId(), c.now);
        if (c.days == kVeryOld) EXPECT_GT(days, kVeryOld);
        else EXPECT_EQ(days, c.days);
    }
}

}  // namespace
}  // namespace kt::config
