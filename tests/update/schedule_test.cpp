// When the next run comes, and the wait for another workstation's lock (the
// wait for the scheduled time itself is the scheduled end-to-end runs').
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <thread>

#include "config/calendar_date.h"
#include "support/workstation.h"
#include "update/schedule_time.h"
#include "update/scheduler.h"

namespace kt::update {
namespace {

// "d.m.y h:m:s" as a local date-time.
std::tm At(const char* text) {
    std::tm time{};
    std::istringstream(text) >> std::get_time(&time, "%d.%m.%Y %H:%M:%S");
    return time;
}

std::string Text(const NextRun& next) {
    if (next.atOnce) return "now";
    char text[40];
    std::snprintf(text, sizeof text, "%d.%d.%d %d:%02d:%02d", next.at.tm_mday, next.at.tm_mon + 1,
                  next.at.tm_year + 1900, next.at.tm_hour, next.at.tm_min, next.at.tm_sec);
    return text;
}

TEST(ScheduleTimeTest, NextRunIsTheComingScheduledTime) {
    // Frequency, day, time, now, first pass, next run; 9.12.2026 is a Wednesday, 7.12.2026 a Monday.
    const std::tuple<const char*, const char*, const char*, const char*, bool, const char*> cases[] = {
        {"1", "", "13:00", "9.12.2026 12:59:59", true, "9.12.2026 13:00:00"},
        {"1", "", "13:00", "9.12.2026 13:00:00", true, "10.12.2026 13:00:00"},
        {"1", "", "13:00", "31.12.2026 13:30:00", false, "1.1.2027 13:00:00"},
        {"7", "2", "13:00", "9.12.2026 10:00:00", true, "14.12.2026 13:00:00"},
        {"7", "2", "13:00", "7.12.2026 12:59:00", true, "7.12.2026 13:00:00"},
        {"7", "2", "13:00", "7.12.2026 13:00:00", true, "14.12.2026 13:00:00"},
        {"7", "1", "8:30", "31.12.2026 9:00:00", true, "3.1.2027 8:30:00"},
        {"7", "9", "13:00", "9.12.2026 10:00:00", true, "14.12.2026 13:00:00"},  // day 9 reads as Monday
        {"7", "", "13:00", "12.12.2026 14:00:00", true, "19.12.2026 13:00:00"},  // day 0 reads as Saturday
        {"7", "-2147483648", "13:00", "9.12.2026 10:00:00", true, "10.12.2026 13:00:00"},
        {"30", "15", "13:00", "20.12.2026 10:00:00", true, "15.1.2027 13:00:00"},
        {"30", "15", "13:00", "15.12.2026 13:00:00", true, "15.1.2027 13:00:00"},
        {"30", "20", "13:00", "15.12.2026 13:00:00", true, "20.12.2026 13:00:00"},
        {"30", "31", "13:00", "10.4.2026 10:00:00", true, "30.4.2026 13:00:00"},  // the month's last day
        {"30", "31", "13:00", "30.4.2026 14:00:00", true, "31.5.2026 13:00:00"},  // its last day gone: a month on
        {"30", "30", "13:00", "31.1.2026 10:00:00", true, "28.2.2026 13:00:00"},
        {"30", "30", "13:00", "31.1.2028 10:00:00", true, "29.2.2028 13:00:00"},
        {"30", "31", "13:00", "31.12.2026 13:00:00", true, "31.1.2027 13:00:00"},
        {"30", "", "13:00", "10.3.2026 10:00:00", true, "1.4.2026 13:00:00"},
        {"30", "99999999999", "13:00", "10.2.2026 10:00:00", true, "28.2.2026 13:00:00"},
        {"", "2", "13:00", "9.12.2026 10:00:00", true, "now"},
        {"2", "2", "13:00", "9.12.2026 14:00:00", false, "10.12.2026 13:00:00"},  // later passes are daily
        {"1", "", "8:05", "9.12.2026 8:00:00", true, "9.12.2026 8:05:00"},
        {"1", "", " 7 : 5", "9.12.2026 8:00:00", true, "10.12.2026 7:05:00"},
        {"1", "", "1300", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "", "9.12.2026 14:00:00", true, "10.12.2026 13:00:00"},
        {"1", "", "25:00", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "12:60", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "-1:30", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
    };
    for (const auto& [frequency, day, time, now, firstPass, next] : cases) {
        SCOPED_TRACE(std::string(frequency) + " / " + day + " / " + time + " at " + now);
        EXPECT_EQ(Text(NextScheduledRun({frequency, day, time}, At(now), firstPass)), next);
    }
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using SchedulerTest = test::ConfiguredWorkstation;

void WriteLock(const test::TempTree& tree, std::tm day) {
    std::mktime(&day);
    tree.WriteFile("UpdateInfo/updating.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\""
                                              "{00000000-1111-2222-3333-444444444444}\">\n\t<LastUpdate>" +
                                                  config::DateText(day) + "</LastUpdate>\n</Workstation>\n");
}

TEST_F(SchedulerTest, AnotherWorkstationsFreshLockIsLookedAtAgainUntilItGoes) {
    WriteLock(tree, config::LocalNow());
    Scheduler scheduler({config::LocalNow, milliseconds(100)});
    std::thread otherWorkstation([&] {
        std::this_thread::sleep_for(milliseconds(600));
        std::filesystem::remove(LockFile());
    });
    const auto start = Clock::now();
    const int result = scheduler.WaitForUpdatingLock(ctx, 0);
    const auto waited = Clock::now() - start;
    otherWorkstation.join();
    EXPECT_EQ(result, 1);
    EXPECT_GE(waited, milliseconds(600));
    EXPECT_LE(waited, milliseconds(5000)) << "looked at again every 100 ms, not after minutes";

    // A lock two days old is the holder's no more: removed, and the run starts.
    std::tm twoDaysAgo = config::LocalNow();
    twoDaysAgo.tm_mday -= 2;
    WriteLock(tree, twoDaysAgo);
    EXPECT_EQ(scheduler.WaitForUpdatingLock(ctx, 0), 1);
    EXPECT_FALSE(std::filesystem::exists(LockFile()));
}

}  // namespace
}  // namespace kt::update
