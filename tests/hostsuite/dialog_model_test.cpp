// The dialog model: what a person's actions do to controls, and what other
// threads may do. Lists and combos are driven by the dialogs' own suites.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

// Radio buttons clear their own group only; disabled or hidden controls
// ignore the person; edits keep what their style allows; a bar stays in its range.
TEST(DialogModelTest, PersonsActionsFollowTheControlsRules) {
    test::WaitingDialog dialog(102);
    std::vector<int> clicks;
    dialog.AddPush(1007, "Options...");
    dialog.AddRadio(1000, "Internet");
    dialog.AddRadio(1027, "Réseau", 2);
    dialog.AddCheck(1006, "Récupérer pour tous");
    dialog.AddEdit(1004);
    dialog.AddProgress(1022);
    for (int id : {1007, 1000, 1027, 1006}) dialog.BindClick(id, [&clicks, id] { clicks.push_back(id); });
    dialog.BeginModal();
    dialog.SetCheck(1027, true);
    EXPECT_TRUE(dialog.UserClick(1000));
    EXPECT_TRUE(dialog.IsChecked(1027)) << "another group keeps its choice";
    EXPECT_FALSE(dialog.UserSetCheck(1000, false)) << "a radio button is not cleared by itself";
    EXPECT_TRUE(dialog.UserSetCheck(1006, false)) << "taken, but no change: no click";
    const struct {
        bool password, readOnly, digits;
        int limit;
        const char *typed, *kept;
    } edits[] = {{false, false, true, 0, "12a3 ", "123"}, {true, false, false, 5, "abcdé", "abcd"}, {false, true, false, 0, "autre", "abcd"}};
    for (const auto& c : edits) {
        dialog.SetEditStyle(1004, c.password, c.readOnly, c.digits, c.limit);
        EXPECT_EQ(dialog.UserSetText(1004, c.typed), !c.readOnly);
        EXPECT_EQ(dialog.Text(1004), c.kept) << c.typed;
    }
    dialog.SetText(1004, "programme");
    EXPECT_EQ(dialog.Text(1004), "programme") << "the program is not limited by the person's rules";
    dialog.SetEditStyle(1004, false, false, false, 0);
    dialog.Enable(1007, false);
    dialog.Show(1006, false);
    dialog.Enable(1004, false);
    EXPECT_FALSE(dialog.UserClick(1007) || dialog.UserSetCheck(1006, true) || dialog.UserSetText(1004, "x") ||
                 dialog.UserClick(1038) || dialog.UserClick(4242));
    EXPECT_EQ(clicks, (std::vector<int>{1000}));
    dialog.SetRange(1022, 0, 50);
    for (const auto& [position, kept] : {std::pair{80, 50}, {-3, 0}, {30, 30}}) {
        dialog.SetPosition(1022, position);
        EXPECT_EQ(dialog.Position(1022), kept) << position;
    }
    dialog.SetRange(1022, 0, 10);
    EXPECT_EQ(dialog.Position(1022), 10) << "a narrower range moves the bar back";
}

TEST(DialogModelTest, PostsRunOnTheDialogThreadInOrderAndStopAtTheEnd) {
    test::WaitingDialog dialog(130);
    dialog.PostCommand(kIdOk);  // not running yet: dropped
    dialog.BeginModal();
    const std::thread::id dialogThread = std::this_thread::get_id();
    std::atomic<int> answered{0};
    std::thread worker([&] {
        answered = dialog.CallOnDialogThread([&] { dialog.SetText(1038, std::this_thread::get_id() == dialogThread ? "ici" : "ailleurs"); }) ? 1 : 2;
    });
    EXPECT_TRUE(dialog.PumpUntil([&] { return !dialog.Text(1038).starts_with("Erreur"); }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(dialog.Text(1038), "ici");
    EXPECT_EQ(answered, 1);
    dialog.SetShowState(ShowState::Minimised);
    std::thread([&] { dialog.RequestRestore(); }).join();
    EXPECT_EQ(dialog.GetShowState(), ShowState::Minimised) << "restored on the dialog's thread only";
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
