#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/named_event.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using std::chrono::steady_clock;
using NamedEventTest = PlatformTest;

constexpr const char* kName = "UpdaterEvent";

TEST_F(NamedEventTest, ManualResetStaysSignalledUntilResetAndWaitsEndAtTheirTimeout) {
    auto event = NamedEvent::Create(kName, true, false);
    auto other = NamedEvent::Open(kName);
    ASSERT_TRUE(event && other);
    const auto start = steady_clock::now();
    EXPECT_FALSE(event->Wait(150ms));
    EXPECT_GE(steady_clock::now() - start, 150ms);
    EXPECT_LT(steady_clock::now() - start, kPrompt);

    other->Set();
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_TRUE(other->Wait(0ms));
    auto again = NamedEvent::Create(kName, false, false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Wait(0ms));
    EXPECT_TRUE(again->Wait(0ms)) << "creating it again keeps its mode and state";
    event->Reset();
    EXPECT_FALSE(other->Wait(0ms));
}

TEST_F(NamedEventTest, AutoResetReleasesOneWaitPerSet) {
    auto event = NamedEvent::Create("dialog ready", false, true);
    ASSERT_TRUE(event);
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_FALSE(event->Wait(0ms));
    event->Set();
    event->Set();
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_FALSE(event->Wait(0ms)) << "signals do not add up";

    std::atomic<int> released{0};
    auto waiter = [&] {
        auto handle = NamedEvent::Open("dialog ready");
        if (handle && handle->Wait(1500ms)) ++released;
    };
    std::thread first(waiter);
    std::thread second(waiter);
    std::this_thread::sleep_for(100ms);
    event->Set();
    first.join();
    second.join();
    EXPECT_EQ(released, 1);
}

TEST_F(NamedEventTest, SetInOneProcessWakesAWaiterInAnotherAtOnce) {
    ChildProcess waiter({"event-wait", kName, "30000"});
    ASSERT_EQ(waiter.ReadLine(), "ready");
    auto event = NamedEvent::Open(kName);
    ASSERT_TRUE(event);
    std::this_thread::sleep_for(100ms);  // let it go to sleep
    const auto start = steady_clock::now();
    event->Set();
    EXPECT_EQ(waiter.ReadLine(), "signalled");
    EXPECT_LT(steady_clock::now() - start, kPrompt);

    // And the other way, to a wait without time limit.
    event->Reset();
    auto waited = std::async(std::launch::async, [&] { return event->Wait(std::chrono::milliseconds::max()); });
    EXPECT_EQ(waited.wait_for(200ms), std::future_status::timeout);
    ChildProcess setter({"event-set", kName});
    EXPECT_EQ(setter.ReadLine(), "set");
    const bool ended = waited.wait_for(kPatience) == std::future_status::ready;
    EXPECT_TRUE(ended);
    if (!ended) event->Set();  // so that the test itself ends
    EXPECT_TRUE(waited.get());
}

TEST_F(NamedEventTest, WithoutALiveHolderItIsGoneAndStartsAfresh) {
    EXPECT_FALSE(NamedEvent::Open(kName));
    NamedEvent::Create(kName, true, true).reset();
    EXPECT_FALSE(NamedEvent::Open(kName));

    ChildProcess holder({"event", kName, "1", "1"});
    ASSERT_EQ(holder.ReadLine(), "ready");
    auto seen = NamedEvent::Open(kName);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->Wait(0ms));
    seen.reset();
    holder.Kill();
    EXPECT_FALSE(NamedEvent::Open(kName)) << "a killed holder leaves nothing behind";
    EXPECT_EQ(ChildProcess({"event-set", kName}).ReadLine(), "absent");
    auto fresh = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->Wait(0ms)) << "no stale signal from the last holders";
}

TEST_F(NamedEventTest, AWaiterKilledWhileWaitingDoesNotDisturbTheOthers) {
    auto event = NamedEvent::Create(kName, false, false);
    ASSERT_TRUE(event);
    {
        ChildProcess first({"event-wait", kName, "30000"});
        ChildProcess second({"event-wait", kName, "30000"});
        ASSERT_EQ(first.ReadLine(), "ready");
        ASSERT_EQ(second.ReadLine(), "ready");
        std::this_thread::sleep_for(100ms);
    }  // both killed in their wait
    std::atomic<bool> woken{false};
    std::thread waiter([&] { woken = event->Wait(kPatience); });
    std::this_thread::sleep_for(50ms);
    event->Set();
    waiter.join();
    EXPECT_TRUE(woken);
    EXPECT_FALSE(event->Wait(0ms));
}

}  // namespace
}  // namespace kt::test
