#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/waitable_timer.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using Clock = WaitableTimer::Clock;
using std::chrono::steady_clock;
using WaitableTimerTest = PlatformTest;

constexpr const char* kName = "UpdaterWaitableTimer";

TEST_F(WaitableTimerTest, FiresAtItsDueTimeNotBeforeAndNotWhenCancelledBefore) {
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
    timer->SetAt(Clock::now() + 1h);
    EXPECT_FALSE(timer->Wait(50ms)) << "setting it again takes back its signal";
    timer->SetAt(Clock::now() - 1h);
    EXPECT_TRUE(timer->Wait(0ms)) << "a due time in the past fires at once";
    timer->Cancel();
    EXPECT_TRUE(timer->Wait(0ms)) << "cancel keeps a fired timer";
    timer->SetAt(Clock::now() + 100ms);
    timer->Cancel();
    EXPECT_FALSE(timer->Wait(300ms)) << "cancel stops a pending timer";
    timer->SetAt(Clock::now() + 50ms);
    std::this_thread::sleep_for(150ms);
    timer->Cancel();
    EXPECT_TRUE(timer->Wait(0ms)) << "its time had come before the cancel";

    auto autoReset = WaitableTimer::Create("auto", false);
    ASSERT_TRUE(autoReset);
    autoReset->FireNow();
    EXPECT_TRUE(autoReset->Wait(0ms));
    EXPECT_FALSE(autoReset->Wait(0ms));
}

TEST_F(WaitableTimerTest, WithoutALiveHolderItIsGoneAndStartsAfresh) {
    EXPECT_FALSE(WaitableTimer::Open(kName));
    {
        auto timer = WaitableTimer::Create(kName, true);
        timer->FireNow();
        ASSERT_TRUE(WaitableTimer::Open(kName));
    }
    EXPECT_FALSE(WaitableTimer::Open(kName));
    EXPECT_FALSE(WaitableTimer::Create(kName, true)->Wait(0ms)) << "no stale signal from the last holders";

    ChildProcess holder({"timer", kName});
    ASSERT_EQ(holder.ReadLine(), "ready");
    EXPECT_TRUE(WaitableTimer::Open(kName));
    holder.Kill();
    EXPECT_FALSE(WaitableTimer::Open(kName)) << "a killed holder leaves no timer behind";
    EXPECT_EQ(ChildProcess({"timer-fire", kName}).ReadLine(), "absent");
}

// A waiter in another process is woken at once or at an earlier due time;
// a wait here without time limit is woken by another process.
TEST_F(WaitableTimerTest, WaitsAreWokenAcrossProcesses) {
    for (const auto delay : {0ms, 400ms}) {
        SCOPED_TRACE(delay.count());
        ChildProcess waiter({"timer-wait", kName, "3600000", "30000"});
        ASSERT_EQ(waiter.ReadLine(), "ready");
        auto timer = WaitableTimer::Open(kName);
        ASSERT_TRUE(timer);
        std::this_thread::sleep_for(100ms);  // let it go to sleep
        const auto start = steady_clock::now();
        if (delay == 0ms) timer->FireNow();
        else timer->SetAt(Clock::now() + delay);
        EXPECT_EQ(waiter.ReadLine(), "fired");
        EXPECT_GE(steady_clock::now() - start, delay - 50ms);
        EXPECT_LT(steady_clock::now() - start, delay + kPrompt);
    }
    auto timer = WaitableTimer::Create(kName, true);
    ASSERT_TRUE(timer);
    timer->SetAt(Clock::now() + 1h);
    auto waited = std::async(std::launch::async, [&] { return timer->Wait(std::chrono::milliseconds::max()); });
    EXPECT_EQ(waited.wait_for(200ms), std::future_status::timeout);
    const auto start = steady_clock::now();
    EXPECT_EQ(ChildProcess({"timer-fire", kName}).ReadLine(), "fired");
    const bool ended = waited.wait_for(kPatience) == std::future_status::ready;
    EXPECT_TRUE(ended);
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    if (!ended) timer->FireNow();  // so that the test itself ends
    EXPECT_TRUE(waited.get());
}

}  // namespace
}  // namespace kt::test
