#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "child_process.h"
#include "platform/named_event.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;
using test::ChildProcess;

constexpr const char* kName = "UpdaterEvent";
constexpr auto kPatience = 10s;
// A wake-up across processes must be prompt, far below the waiter's own
// timeout, even on a loaded machine under a sanitizer.
constexpr auto kPrompt = 1s;

TEST(NamedEventTest, ManualResetStaysSignalledUntilReset) {
    test::TempTree tree;
    auto event = NamedEvent::Create(kName, true, false);
    auto other = NamedEvent::Open(kName);
    ASSERT_TRUE(event);
    ASSERT_TRUE(other);
    EXPECT_FALSE(event->Wait(0ms));

    other->Set();
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_TRUE(other->Wait(0ms));

    event->Reset();
    EXPECT_FALSE(other->Wait(0ms));
}

TEST(NamedEventTest, AutoResetReleasesOneWaitPerSet) {
    test::TempTree tree;
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

TEST(NamedEventTest, CreatingAnExistingEventKeepsItsModeAndState) {
    test::TempTree tree;
    auto event = NamedEvent::Create(kName, true, true);
    auto again = NamedEvent::Create(kName, false, false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Wait(0ms));
    EXPECT_TRUE(again->Wait(0ms)) << "still a manual-reset event";
}

TEST(NamedEventTest, WithoutALiveHolderItIsGoneAndStartsAfresh) {
    test::TempTree tree;
    EXPECT_FALSE(NamedEvent::Open(kName));
    NamedEvent::Create(kName, true, true).reset();
    EXPECT_FALSE(NamedEvent::Open(kName));

    auto fresh = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->Wait(0ms)) << "no stale signal from the last holders";
}

TEST(NamedEventTest, WaitEndsAtItsTimeout) {
    test::TempTree tree;
    auto event = NamedEvent::Create(kName, true, false);
    const auto start = steady_clock::now();
    EXPECT_FALSE(event->Wait(150ms));
    const auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, kPrompt);
}

TEST(NamedEventTest, AWaitWithoutTimeLimitLastsUntilSet) {
    test::TempTree tree;
    auto event = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(event);
    auto waited = std::async(std::launch::async, [&] { return event->Wait(std::chrono::milliseconds::max()); });
    EXPECT_EQ(waited.wait_for(200ms), std::future_status::timeout);

    ChildProcess setter({"event-set", kName});
    const bool ended = waited.wait_for(kPatience) == std::future_status::ready;
    EXPECT_TRUE(ended);
    if (!ended) event->Set();  // so that the test itself ends
    EXPECT_TRUE(waited.get());
}

TEST(NamedEventTest, SetInOneProcessWakesAWaiterInAnotherAtOnce) {
    test::TempTree tree;
    ChildProcess waiter({"event-wait", kName, "30000"});
    ASSERT_EQ(waiter.ReadLine(kPatience), "ready");
    auto event = NamedEvent::Open(kName);
    ASSERT_TRUE(event);
    std::this_thread::sleep_for(100ms);  // let it go to sleep

    const auto start = steady_clock::now();
    event->Set();
    EXPECT_EQ(waiter.ReadLine(kPatience), "signalled");
    EXPECT_LT(steady_clock::now() - start, kPrompt);

    auto mine = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(mine);
    mine->Reset();
    ASSERT_FALSE(mine->Wait(0ms));
    ChildProcess setter({"event-set", kName});
    EXPECT_TRUE(mine->Wait(kPatience));
    EXPECT_EQ(setter.WaitExit(kPatience), 0);
}

TEST(NamedEventTest, AKilledHolderLeavesNothingBehind) {
    test::TempTree tree;
    ChildProcess holder({"event", kName, "1", "1"});
    ASSERT_EQ(holder.ReadLine(kPatience), "ready");
    auto seen = NamedEvent::Open(kName);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->Wait(0ms));
    seen.reset();

    holder.Kill();
    EXPECT_FALSE(NamedEvent::Open(kName));
    ChildProcess setter({"event-set", kName});
    EXPECT_EQ(setter.WaitExit(kPatience), 1) << "nothing to open";
    auto fresh = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->Wait(0ms));
}

TEST(NamedEventTest, AWaiterKilledWhileWaitingDoesNotDisturbTheOthers) {
    test::TempTree tree;
    auto event = NamedEvent::Create(kName, false, false);
    ASSERT_TRUE(event);
    {
        ChildProcess first({"event-wait", kName, "30000"});
        ChildProcess second({"event-wait", kName, "30000"});
        ASSERT_EQ(first.ReadLine(kPatience), "ready");
        ASSERT_EQ(second.ReadLine(kPatience), "ready");
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
}  // namespace kt::platform
