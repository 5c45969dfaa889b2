// Named objects processes share: mutexes, events, timers, shared state locks, open dialogs.
#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform/named_event.h"
#include "platform/named_mutex.h"
#include "platform/shared_region.h"
#include "platform/shared_sync.h"
#include "platform/waitable_timer.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;

using NamedMutexTest = PlatformTest;
using NamedEventTest = PlatformTest;
using WaitableTimerTest = PlatformTest;
using SharedSyncTest = PlatformTest;
using DialogRegistryTest = PlatformTest;
using Clock = WaitableTimer::Clock;

// Whether the mutex existed when this handle was made; the handle goes to `kept`.
bool Existed(const std::string& name, std::vector<std::unique_ptr<NamedMutex>>& kept) {
    bool existed = false;
    auto mutex = NamedMutex::Create(name, existed);
    EXPECT_TRUE(mutex) << name;
    if (mutex) kept.push_back(std::move(*mutex));
    return existed;
}

TEST_F(NamedMutexTest, ExistsWhileAnyHandleLivesUnderItsExactName) {
    std::vector<std::unique_ptr<NamedMutex>> handles;
    EXPECT_FALSE(Existed("KTUpdateDLL_MainUpdateFnc", handles));
    EXPECT_TRUE(Existed("KTUpdateDLL_MainUpdateFnc", handles));
    handles.front().reset();
    EXPECT_TRUE(Existed("KTUpdateDLL_MainUpdateFnc", handles)) << "the second handle still holds it";
    handles.clear();
    EXPECT_FALSE(Existed("KTUpdateDLL_MainUpdateFnc", handles));
    // Names with path characters are objects of their own.
    EXPECT_FALSE(Existed("Global\\Run/Lock", handles));
    EXPECT_FALSE(Existed("Global_Run_Lock", handles));
    EXPECT_TRUE(Existed("Global\\Run/Lock", handles));
}

TEST_F(NamedEventTest, ManualResetStaysSignalledAutoResetReleasesOneWaitPerSet) {
    auto event = NamedEvent::Create("UpdaterEvent", true, false);
    auto other = NamedEvent::Open("UpdaterEvent");
    ASSERT_TRUE(event && other);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event->Wait(150ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    other->Set();
    EXPECT_TRUE(event->Wait(0ms) && event->Wait(0ms) && other->Wait(0ms));
    auto again = NamedEvent::Create("UpdaterEvent", false, false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Wait(0ms) && again->Wait(0ms)) << "creating it again keeps its mode and state";
    event->Reset();
    EXPECT_FALSE(other->Wait(0ms));

    auto automatic = NamedEvent::Create("auto", false, true);
    EXPECT_TRUE(automatic->Wait(0ms) && !automatic->Wait(0ms));
    automatic->Set();
    automatic->Set();
    EXPECT_TRUE(automatic->Wait(0ms) && !automatic->Wait(0ms)) << "signals do not add up";
}

TEST_F(WaitableTimerTest, FiresAtItsDueTimeNotBeforeAndNotWhenCancelledBefore) {
    auto timer = WaitableTimer::Create("UpdaterWaitableTimer", true);
    ASSERT_TRUE(timer);
    EXPECT_FALSE(timer->Wait(0ms)) << "a new timer is not set";
    const auto due = Clock::now() + 300ms;
    timer->SetAt(due);
    EXPECT_FALSE(timer->Wait(50ms));
    EXPECT_TRUE(timer->Wait(kPatience));
    EXPECT_GE(Clock::now(), due);
    EXPECT_LT(Clock::now(), due + 1s);
    timer->SetAt(Clock::now() + 1h);
    EXPECT_FALSE(timer->Wait(50ms)) << "setting it again takes back its signal";
    timer->SetAt(Clock::now() - 1h);
    EXPECT_TRUE(timer->Wait(0ms)) << "a due time in the past fires at once";
    timer->SetAt(Clock::now() + 100ms);
    timer->Cancel();
    EXPECT_FALSE(timer->Wait(300ms)) << "cancel stops a pending timer";
    timer->SetAt(Clock::now() + 50ms);
    std::this_thread::sleep_for(150ms);
    timer->Cancel();
    EXPECT_TRUE(timer->Wait(0ms)) << "its time had come before the cancel";

    auto autoReset = WaitableTimer::Create("auto", false);
    autoReset->FireNow();
    EXPECT_TRUE(autoReset->Wait(0ms) && !autoReset->Wait(0ms));
}

TEST_F(SharedSyncTest, TheLockOfAProcessKilledInsideIsHandedOn) {
    auto region = SharedRegion::Attach("test", "state", sizeof(SharedSync), true,
                                       [](void* data) { return InitSharedSync(*static_cast<SharedSync*>(data)); });
    ASSERT_TRUE(region && region->First());
    ChildProcess child({"shared-lock", "state"});
    ASSERT_EQ(child.ReadLine(), "locked");
    child.Kill();
    auto& sync = *static_cast<SharedSync*>(region->Data());
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(SharedLock(sync).Held()) << "again and again";
}

constexpr const char* kClass = "ZuvAduUpdateDownloadDlg";

// Restores arrive on the registry's thread: true once `count` reaches `expected`.
bool Reaches(const std::atomic<int>& count, int expected) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (count < expected && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    return count == expected;
}

TEST_F(DialogRegistryTest, AnOpenDialogIsBroughtBackUntilItClosesOrItsProcessDies) {
    EXPECT_FALSE(RestoreOpenDialog(kClass));
    std::atomic<int> downloads{0}, options{0};
    auto downloadDialog = RegisterOpenDialog(kClass, [&] { ++downloads; });
    auto optionsDialog = RegisterOpenDialog("KTUpdOptions", [&] { ++options; });
    ASSERT_TRUE(downloadDialog && optionsDialog);
    for (int i = 1; i <= 2; ++i) EXPECT_TRUE(RestoreOpenDialog(kClass) && Reaches(downloads, i));
    EXPECT_EQ(options, 0);
    EXPECT_FALSE(RestoreOpenDialog("ZuvAdu"));
    downloadDialog.reset();
    optionsDialog.reset();
    EXPECT_FALSE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(std::filesystem::is_empty(tree / "run")) << "a closed dialog leaves no registration";

    ChildProcess other({"dialog", kClass});
    ASSERT_EQ(other.ReadLine(), "ready");
    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_EQ(other.ReadLine(), "restored");
    other.Kill();
    EXPECT_FALSE(RestoreOpenDialog(kClass)) << "the registration of a crashed process never counts";
    EXPECT_TRUE(std::filesystem::is_empty(tree / "run")) << "and is cleared away";
}

}  // namespace
}  // namespace kt::test
