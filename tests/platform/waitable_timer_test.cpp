#include <gtest/gtest.h>

#include <thread>

#include "platform/waitable_timer.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using Clock = WaitableTimer::Clock;
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
    timer->SetAt(Clock::now() + 100ms);
    EXPECT_TRUE(timer->Wait(std::chrono::milliseconds::max())) << "a wait without time limit";

    auto autoReset = WaitableTimer::Create("auto", false);
    ASSERT_TRUE(autoReset);
    autoReset->FireNow();
    EXPECT_TRUE(autoReset->Wait(0ms));
    EXPECT_FALSE(autoReset->Wait(0ms));
}

// A waiter in another process is woken at once or at the due time set here;
// a killed holder leaves no timer behind.
TEST_F(WaitableTimerTest, WakesAnotherProcessAndDiesWithItsLastHolder) {
    EXPECT_FALSE(WaitableTimer::Open(kName));
    for (const auto delay : {0ms, 400ms}) {
        SCOPED_TRACE(delay.count());
        ChildProcess waiter({"timer", kName});
        ASSERT_EQ(waiter.ReadLine(), "ready");
        auto timer = WaitableTimer::Open(kName);
        ASSERT_TRUE(timer);
        std::this_thread::sleep_for(100ms);  // let it go to sleep
        const auto start = Clock::now();
        if (delay == 0ms) timer->FireNow();
        else timer->SetAt(start + delay);
        EXPECT_EQ(waiter.ReadLine(), "fired");
        EXPECT_GE(Clock::now() - start, delay - 50ms);
        EXPECT_LT(Clock::now() - start, delay + kPrompt);
        timer.reset();
        waiter.Kill();
        EXPECT_FALSE(WaitableTimer::Open(kName)) << "a killed holder leaves no timer behind";
    }
    EXPECT_FALSE(WaitableTimer::Create(kName, true)->Wait(0ms)) << "no stale signal from the last holders";
}

}  // namespace
}  // namespace kt::test
