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
    void SetSchedule(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "Schedule", nullptr, attribute, value), 1);
    }
    static milliseconds Since(Clock::time_point start) {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
};

TEST_F(SchedulerTest, WaitsUntilTheScheduledTimeOrNotAtAll) {
    // The clock says one second before 13:00.
    std::tm oneSecondBefore = config::LocalNow();
    std::tie(oneSecondBefore.tm_hour, oneSecondBefore.tm_min, oneSecondBefore.tm_sec) = std::tuple(12, 59, 59);
    Scheduler scheduler({[&] { return oneSecondBefore; }, kForeignLockRecheck});
    const struct {
        const char* what;
        const char* active;
        const char* frequency;
        int result;
        milliseconds least;
        milliseconds most;
    } passes[] = {
        // At once: under the one second to wait; waiting: the second, not a day (bounds allow for a loaded machine).
        {"schedule off", "0", "1", 0, milliseconds(0), milliseconds(800)},
        {"unknown frequency, first pass", "1", "2", 1, milliseconds(0), milliseconds(800)},
        {"unknown frequency, next pass reads as daily", "1", "2", 1, milliseconds(900), milliseconds(10000)},
        {"daily", "1", "1", 1, milliseconds(900), milliseconds(10000)},
    };
    SetSchedule("Time", "13:00");
    for (const auto& pass : passes) {
        SCOPED_TRACE(pass.what);
        SetSchedule("Active", pass.active);
        SetSchedule("Frequency", pass.frequency);
        const auto start = Clock::now();
        EXPECT_EQ(scheduler.WaitForSchedule(ctx), pass.result);
        EXPECT_GE(Since(start), pass.least);
        EXPECT_LE(Since(start), pass.most);
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
