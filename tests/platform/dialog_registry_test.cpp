#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/dialog_registry.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using DialogRegistryTest = PlatformTest;

constexpr const char* kClass = "ZuvAduUpdateDownloadDlg";

// True once `count` reaches `expected`: restores arrive on the registry's thread.
bool Reaches(const std::atomic<int>& count, int expected) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (count < expected && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    return count == expected;
}

TEST_F(DialogRegistryTest, AnOpenDialogOfThisProcessIsBroughtBack) {
    EXPECT_FALSE(RestoreOpenDialog(kClass));
    std::atomic<int> downloads{0};
    std::atomic<int> options{0};
    auto downloadDialog = RegisterOpenDialog(kClass, [&] { ++downloads; });
    auto optionsDialog = RegisterOpenDialog("KTUpdOptions", [&] { ++options; });
    ASSERT_TRUE(downloadDialog && optionsDialog);
    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(Reaches(downloads, 1));
    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(Reaches(downloads, 2));
    EXPECT_EQ(options, 0);
    EXPECT_FALSE(RestoreOpenDialog("ZuvAdu"));

    downloadDialog.reset();
    optionsDialog.reset();
    EXPECT_FALSE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(std::filesystem::is_empty(tree / "run")) << "a closed dialog leaves no registration";
}

TEST_F(DialogRegistryTest, AnOpenDialogOfAnotherProcessIsBroughtBackUntilItDies) {
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
