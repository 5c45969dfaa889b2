// The dialog model: what a person's actions do to controls, and what other
// threads may post to a dialog before, while and after it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

TEST(DialogModelTest, ControlsFollowTheirRulesAndPostsRunOnTheDialogThreadUntilItEnds) {
    test::WaitingDialog dialog(102);
    dialog.AddRadio(1000, "Internet");
    dialog.AddRadio(1027, "Réseau", 2);
    dialog.AddEdit(1004);
    dialog.AddProgress(1022);
    dialog.PostCommand(kIdOk);  // not running yet: dropped
    dialog.BeginModal();
    // Radio buttons clear their own group only, and are not cleared by themselves.
    dialog.SetCheck(1027, true);
    EXPECT_TRUE(dialog.UserClick(1000) && dialog.IsChecked(1027) && !dialog.UserSetCheck(1000, false));
    // Edits keep what their style allows ("é" takes two bytes: it does not fit), disabled controls nothing.
    const std::tuple<bool, bool, int, const char*, const char*> edits[] = {
        {false, true, 0, "12a3 ", "123"}, {false, false, 5, "abcdé", "abcd"}, {true, false, 0, "autre", "abcd"}};
    for (const auto& [readOnly, digits, limit, typed, kept] : edits) {
        dialog.SetEditStyle(1004, false, readOnly, digits, limit);
        EXPECT_EQ(dialog.UserSetText(1004, typed), !readOnly);
        EXPECT_EQ(dialog.Text(1004), kept) << typed;
    }
    dialog.SetEditStyle(1004, false, false, false, 0);
    dialog.Enable(1004, false);
    dialog.Show(1, false);
    EXPECT_FALSE(dialog.UserSetText(1004, "x") || dialog.UserClick(1) || dialog.UserClick(1038) || dialog.UserClick(4242));
    // A bar stays within its range, a narrower range moving it back.
    dialog.SetRange(1022, 0, 50);
    for (const auto& [position, kept] : {std::pair{80, 50}, {-3, 0}, {30, 30}}) {
        dialog.SetPosition(1022, position);
        EXPECT_EQ(dialog.Position(1022), kept) << position;
    }
    dialog.SetRange(1022, 0, 10);
    EXPECT_EQ(dialog.Position(1022), 10);

    // Calls and restores asked from another thread run on the dialog's thread.
    const std::thread::id dialogThread = std::this_thread::get_id();
    std::atomic<int> answered{0};
    std::thread worker([&] {
        answered = dialog.CallOnDialogThread([&] { dialog.SetText(1038, std::this_thread::get_id() == dialogThread ? "ici" : "ailleurs"); }) ? 1 : 2;
    });
    EXPECT_TRUE(dialog.PumpUntil([&] { return !dialog.Text(1038).starts_with("Erreur"); }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_TRUE(dialog.Text(1038) == "ici" && answered == 1);
    dialog.SetShowState(ShowState::Minimised);
    std::thread([&] { dialog.RequestRestore(); }).join();
    EXPECT_EQ(dialog.GetShowState(), ShowState::Minimised);
    EXPECT_TRUE(dialog.PumpUntil([&] { return dialog.GetShowState() == ShowState::Normal; }, std::chrono::seconds(5)));
    std::thread([&] {
        dialog.PostCommand(kIdCancel);
        dialog.PostCommand(kIdOk);
    }).join();
    EXPECT_FALSE(dialog.Ended());
    dialog.DrainPosted();
    EXPECT_EQ(dialog.hooks, (std::vector<std::string>{"cancel"})) << "the OK posted after the end is not run";
    // A call waited for once the dialog ends is dropped, not run.
    std::atomic<bool> posted{false};
    std::thread late([&] {
        posted = true;
        answered = dialog.CallOnDialogThread([] {}) ? 1 : 2;
    });
    while (!posted) std::this_thread::yield();
    dialog.EndModal();
    late.join();
    EXPECT_EQ(answered, 2);
}

}  // namespace
}  // namespace kt::hostsuite
