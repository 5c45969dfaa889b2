#include <gtest/gtest.h>

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
    EXPECT_TRUE(event->Wait(0ms) && event->Wait(0ms) && other->Wait(0ms));
    auto again = NamedEvent::Create(kName, false, false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Wait(0ms) && again->Wait(0ms)) << "creating it again keeps its mode and state";
    event->Reset();
    EXPECT_FALSE(other->Wait(0ms));
}

TEST_F(NamedEventTest, AutoResetReleasesOneWaitPerSet) {
    auto event = NamedEvent::Create(kName, false, true);
    ASSERT_TRUE(event);
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_FALSE(event->Wait(0ms));
    event->Set();
    event->Set();
    EXPECT_TRUE(event->Wait(0ms));
    EXPECT_FALSE(event->Wait(0ms)) << "signals do not add up";
}

// A set here wakes a waiter in another process at once; a killed holder
// leaves nothing behind, so the next one starts unsignalled.
TEST_F(NamedEventTest, WakesAnotherProcessAndDiesWithItsLastHolder) {
    EXPECT_FALSE(NamedEvent::Open(kName));
    ChildProcess waiter({"event", kName});
    ASSERT_EQ(waiter.ReadLine(), "ready");
    auto event = NamedEvent::Open(kName);
    ASSERT_TRUE(event);
    std::this_thread::sleep_for(100ms);  // let it go to sleep
    const auto start = steady_clock::now();
    event->Set();
    EXPECT_EQ(waiter.ReadLine(), "signalled");
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    event.reset();
    waiter.Kill();
    EXPECT_FALSE(NamedEvent::Open(kName)) << "a killed holder leaves nothing behind";
    auto fresh = NamedEvent::Create(kName, true, false);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->Wait(0ms)) << "no stale signal from the last holders";
}

}  // namespace
}  // namespace kt::test
