// The scheduled wait on the run timer, and its re-check of another
// workstation's lock.
#include "update/scheduler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "config/calendar_date.h"
#include "support/workstation.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kOtherGuid = "{00000000-1111-2222-3333-444444444444}";

std::string Lock(const std::string& guid, const std::tm& day) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\"" + guid + "\">\n\t<LastUpdate>" +
           config::DateText(day) + "</LastUpdate>\n</Workstation>\n";
}

class SchedulerTest : public test::ConfiguredWorkstation {
protected:
    static milliseconds Since(Clock::time_point start) {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
};

// The clock says one second before 13:00: an unknown frequency starts at once
// on the first pass only, then waits for the scheduled time as a daily one,
// the second and not a day (bounds allow for a loaded machine).
TEST_F(SchedulerTest, OnlyTheFirstPassStartsAtOnceThenTheScheduledTimeIsWaitedFor) {
    std::tm oneSecondBefore = config::LocalNow();
    std::tie(oneSecondBefore.tm_hour, oneSecondBefore.tm_min, oneSecondBefore.tm_sec) = std::tuple(12, 59, 59);
    Scheduler scheduler({[&] { return oneSecondBefore; }, kForeignLockRecheck});
    for (const auto& [attribute, value] : {std::pair{"Active", "1"}, {"Frequency", "2"}, {"Time", "13:00"}}) {
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "Schedule", nullptr, attribute, value), 1);
    }
    for (const auto& [least, most] : {std::pair{milliseconds(0), milliseconds(800)}, {milliseconds(900), milliseconds(10000)}}) {
        const auto start = Clock::now();
        EXPECT_EQ(scheduler.WaitForSchedule(ctx), 1);
        EXPECT_GE(Since(start), least);
        EXPECT_LE(Since(start), most);
    }
}

TEST_F(SchedulerTest, AnotherWorkstationsFreshLockIsLookedAtAgainUntilItGoes) {
    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, config::LocalNow()));
    Scheduler scheduler({config::LocalNow, milliseconds(100)});
    std::thread otherWorkstation([&] {
        std::this_thread::sleep_for(milliseconds(600));
        fs::remove(LockFile());
    });
    const auto start = Clock::now();
    const int result = scheduler.WaitForUpdatingLock(ctx, 0);
    const milliseconds waited = Since(start);
    otherWorkstation.join();
    EXPECT_EQ(result, 1);
    EXPECT_GE(waited, milliseconds(600));
    EXPECT_LE(waited, milliseconds(5000)) << "looked at again every 100 ms, not after minutes";

    // A lock two days old is the holder's no more: removed, and the run starts.
    std::tm twoDaysAgo = config::LocalNow();
    twoDaysAgo.tm_mday -= 2;
    std::mktime(&twoDaysAgo);
    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, twoDaysAgo));
    EXPECT_EQ(scheduler.WaitForUpdatingLock(ctx, 0), 1);
    EXPECT_FALSE(fs::exists(LockFile()));
}

}  // namespace
}  // namespace kt::update
