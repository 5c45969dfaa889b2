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
