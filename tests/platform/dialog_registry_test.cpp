#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "child_process.h"
#include "platform/dialog_registry.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

constexpr const char* kClass = "ZuvAduUpdateDownloadDlg";
constexpr auto kPatience = 10s;

// Counts the restores asked of one dialog; they arrive on the registry's thread.
class RestoreCounter {
public:
    std::function<void()> Callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    bool WaitFor(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return count_ >= count; });
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

std::size_t FilesIn(const std::filesystem::path& folder) {
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    return files;
}

TEST(DialogRegistryTest, AnOpenDialogOfThisProcessIsBroughtBack) {
    test::TempTree tree;
    EXPECT_FALSE(RestoreOpenDialog(kClass));

    RestoreCounter download;
    RestoreCounter options;
    auto downloadDialog = RegisterOpenDialog(kClass, download.Callback());
    auto optionsDialog = RegisterOpenDialog("KTUpdOptions", options.Callback());
    ASSERT_TRUE(downloadDialog);
    ASSERT_TRUE(optionsDialog);

    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(download.WaitFor(1));
    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_TRUE(download.WaitFor(2));
    EXPECT_EQ(options.Count(), 0);
    EXPECT_FALSE(RestoreOpenDialog("ZuvAdu"));

    downloadDialog.reset();
    optionsDialog.reset();
    EXPECT_FALSE(RestoreOpenDialog(kClass));
    EXPECT_EQ(FilesIn(tree / "run"), 0u) << "a closed dialog leaves no registration";
}

TEST(DialogRegistryTest, AnOpenDialogOfAnotherProcessIsBroughtBackUntilItDies) {
    test::TempTree tree;
    ChildProcess other({"dialog", kClass});
    ASSERT_EQ(other.ReadLine(kPatience), "ready");

    EXPECT_TRUE(RestoreOpenDialog(kClass));
    EXPECT_EQ(other.ReadLine(kPatience), "restored");

    other.Kill();
    EXPECT_FALSE(RestoreOpenDialog(kClass)) << "the registration of a crashed process never counts";
    EXPECT_EQ(FilesIn(tree / "run"), 0u) << "and is cleared away";
}

}  // namespace
}  // namespace kt::platform
