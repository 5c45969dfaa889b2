#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "child_process.h"
#include "platform/waitable_timer.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

using namespace std::chrono_literals;
using Clock = WaitableTimer::Clock;
using std::chrono::steady_clock;
using test::ChildProcess;

constexpr const char* kName = "UpdaterWaitableTimer";
constexpr auto kPatience = 10s;
constexpr auto kPrompt = 1s;

TEST(WaitableTimerTest, FiresAtItsDueTimeAndNotBefore) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    ASSERT_TRUE(timer);
    EXPECT_FALSE(timer->Wait(0ms)) << "a new timer is not set";

    const auto due = Clock::now() + 300ms;
    timer->SetAt(due);
    EXPECT_FALSE(timer->Wait(50ms));
    EXPECT_TRUE(timer->Wait(kPatience));
    EXPECT_GE(Clock::now(), due);
    EXPECT_LT(Clock::now(), due + kPrompt);
    EXPECT_TRUE(timer->Wait(0ms)) << "manual reset: stays signalled";
}

TEST(WaitableTimerTest, ADueTimeInThePastFiresAtOnce) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    timer->SetAt(Clock::now() - 1h);
    EXPECT_TRUE(timer->Wait(0ms));
}

TEST(WaitableTimerTest, AnAutoResetTimerReleasesOneWait) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create("auto", false);
    timer->FireNow();
    EXPECT_TRUE(timer->Wait(0ms));
    EXPECT_FALSE(timer->Wait(0ms));
}

TEST(WaitableTimerTest, CancelStopsAPendingTimerButKeepsAFiredOne) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    timer->SetAt(Clock::now() + 100ms);
    timer->Cancel();
    EXPECT_FALSE(timer->Wait(300ms));

    timer->FireNow();
    timer->Cancel();
    EXPECT_TRUE(timer->Wait(0ms));

    timer->SetAt(Clock::now() + 50ms);
    std::this_thread::sleep_for(150ms);
    timer->Cancel();
    EXPECT_TRUE(timer->Wait(0ms)) << "its time had come before the cancel";
}

TEST(WaitableTimerTest, SettingItAgainTakesBackItsSignal) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    timer->FireNow();
    timer->SetAt(Clock::now() + 1h);
    EXPECT_FALSE(timer->Wait(50ms));
}

TEST(WaitableTimerTest, WithoutALiveHolderItIsGoneAndStartsAfresh) {
    test::TempTree tree;
    EXPECT_FALSE(WaitableTimer::Open(kName));
    {
        auto timer = WaitableTimer::Create(kName, true);
        timer->FireNow();
        ASSERT_TRUE(WaitableTimer::Open(kName));
    }
    EXPECT_FALSE(WaitableTimer::Open(kName));
    auto fresh = WaitableTimer::Create(kName, true);
    EXPECT_FALSE(fresh->Wait(0ms));
}

TEST(WaitableTimerTest, FireNowInAnotherProcessWakesTheWaiterAtOnce) {
    test::TempTree tree;
    ChildProcess waiter({"timer-wait", kName, "3600000", "30000"});
    ASSERT_EQ(waiter.ReadLine(kPatience), "ready");
    auto timer = WaitableTimer::Open(kName);
    ASSERT_TRUE(timer);
    std::this_thread::sleep_for(100ms);

    const auto start = steady_clock::now();
    timer->FireNow();
    EXPECT_EQ(waiter.ReadLine(kPatience), "fired");
    EXPECT_LT(steady_clock::now() - start, kPrompt);
}

TEST(WaitableTimerTest, AnEarlierDueTimeSetElsewhereIsKeptByTheWaiter) {
    test::TempTree tree;
    ChildProcess waiter({"timer-wait", kName, "3600000", "30000"});
    ASSERT_EQ(waiter.ReadLine(kPatience), "ready");
    auto timer = WaitableTimer::Open(kName);
    ASSERT_TRUE(timer);
    std::this_thread::sleep_for(100ms);

    const auto start = steady_clock::now();
    timer->SetAt(Clock::now() + 400ms);
    EXPECT_EQ(waiter.ReadLine(kPatience), "fired");
    const auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, 350ms);
    EXPECT_LT(waited, kPrompt);
}

TEST(WaitableTimerTest, AWaiterHereIsWokenFromAnotherProcess) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    timer->SetAt(Clock::now() + 1h);
    ChildProcess firer({"timer-fire", kName});
    const auto start = steady_clock::now();
    EXPECT_TRUE(timer->Wait(kPatience));
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    EXPECT_EQ(firer.WaitExit(kPatience), 0);
}

TEST(WaitableTimerTest, AWaitWithoutTimeLimitLastsUntilFired) {
    test::TempTree tree;
    auto timer = WaitableTimer::Create(kName, true);
    ASSERT_TRUE(timer);
    timer->SetAt(Clock::now() + 1h);
    auto waited = std::async(std::launch::async, [&] { return timer->Wait(std::chrono::milliseconds::max()); });
    EXPECT_EQ(waited.wait_for(200ms), std::future_status::timeout);

    ChildProcess firer({"timer-fire", kName});
    const bool ended = waited.wait_for(kPatience) == std::future_status::ready;
    EXPECT_TRUE(ended);
    if (!ended) timer->FireNow();  // so that the test itself ends
    EXPECT_TRUE(waited.get());
}

TEST(WaitableTimerTest, AKilledHolderLeavesNoTimerBehind) {
    test::TempTree tree;
    ChildProcess holder({"timer", kName});
    ASSERT_EQ(holder.ReadLine(kPatience), "ready");
    EXPECT_TRUE(WaitableTimer::Open(kName));
    holder.Kill();
    EXPECT_FALSE(WaitableTimer::Open(kName));
    ChildProcess firer({"timer-fire", kName});
    EXPECT_EQ(firer.WaitExit(kPatience), 1);
}

}  // namespace
}  // namespace kt::platform
