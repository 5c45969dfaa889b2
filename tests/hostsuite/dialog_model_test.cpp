// The dialog model: what a person's actions do to controls and handlers,
// and what other threads may do. Commands and hooks are driven by the
// dialogs' own suites.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using Ids = std::vector<int>;

class DialogModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.AddPush(1007, "Options...");
        dialog.AddRadio(1000, "Internet");
        dialog.AddRadio(1001, "Réseau local");
        dialog.AddRadio(1027, "Réseau", 2);
        dialog.AddRadio(1026, "Modem", 2);
        dialog.AddCheck(1006, "Récupérer pour tous");
        dialog.AddEdit(1004);
        dialog.AddLabel(1061, "Etat");
        dialog.AddProgress(1022);
        dialog.AddCombo(1019, true);
        dialog.AddList(1020, false, true);
        for (int id : {1007, 1000, 1001, 1027, 1026, 1006}) dialog.BindClick(id, [this, id] { clicks.push_back(id); });
        dialog.BindSelectionChange(1020, [this](int item) { rowChanges.push_back(item); });
        dialog.BeginModal();
    }

    test::HookDialog dialog{102, "Mise à jour"};
    Ids clicks;
    Ids rowChanges;
};

// Radio buttons clear their own group only; disabled or hidden controls
// ignore the person; a bar's position stays within its range.
TEST_F(DialogModelTest, PersonsActionsFollowTheControlsRules) {
    dialog.SetCheck(1027, true);
    EXPECT_TRUE(dialog.UserClick(1000));
    EXPECT_TRUE(dialog.IsChecked(1027)) << "another group keeps its choice";
    EXPECT_FALSE(dialog.UserSetCheck(1000, false)) << "a radio button is not cleared by itself";
    EXPECT_TRUE(dialog.UserSetCheck(1006, false)) << "taken, but no change: no click";
    dialog.Enable(1007, false);
    dialog.Show(1006, false);
    dialog.Enable(1004, false);
    EXPECT_FALSE(dialog.UserClick(1007) || dialog.UserSetCheck(1006, true) || dialog.UserSetText(1004, "x") ||
                 dialog.UserClick(1061) || dialog.UserClick(4242));
    EXPECT_EQ(clicks, (Ids{1000}));
    EXPECT_EQ(dialog.Text(1004), "");
    dialog.SetRange(1022, 0, 50);
    dialog.SetPosition(1022, 80);
    EXPECT_EQ(dialog.Position(1022), 50);
    dialog.SetRange(1022, 0, 10);
    EXPECT_EQ(dialog.Position(1022), 10) << "a narrower range moves the bar back";
    dialog.SetPosition(1022, -3);
    EXPECT_EQ(dialog.Position(1022), 0);
}

TEST_F(DialogModelTest, EditsKeepWhatTheirStyleAllows) {
    const struct {
        bool password, readOnly, digits;
        int limit;
        const char* typed;
        const char* kept;
    } cases[] = {
        {false, false, true, 0, "12a3 ", "123"},
        {true, false, false, 5, "abcdé", "abcd"},  // "é" takes two bytes: it does not fit
        {false, true, false, 0, "autre", "abcd"},
    };
    for (const auto& c : cases) {
        dialog.SetEditStyle(1004, c.password, c.readOnly, c.digits, c.limit);
        EXPECT_EQ(dialog.UserSetText(1004, c.typed), !c.readOnly);
        EXPECT_EQ(dialog.Text(1004), c.kept) << c.typed;
    }
    dialog.SetText(1004, "programme");
    EXPECT_EQ(dialog.Text(1004), "programme") << "the program is not limited by the person's rules";
}

TEST_F(DialogModelTest, SortedCombosAndMultiSelectionLists) {
    for (const auto& [item, at] : {std::pair{"10:30", 0}, {"00:30", 0}, {"b", 2}, {"A", 2}}) {
        EXPECT_EQ(dialog.AddItem(1019, item), at) << item;
    }
    EXPECT_TRUE(dialog.UserSelect(1019, "b"));
    EXPECT_EQ(dialog.Selection(1019), 3);
    dialog.SetSelection(1019, 1);
    dialog.AddItem(1019, "00:00");
    EXPECT_EQ(dialog.Selection(1019), 2) << "the selected item moved down with the insertion";
    // Searched after the item given, wrapping round.
    const std::tuple<const char*, int, int> finds[] = {{"00", -1, 0}, {"00", 0, 1}, {"00", 1, 0}, {"a", 3, 3}, {"zz", -1, -1}};
    for (const auto& [prefix, after, found] : finds) EXPECT_EQ(dialog.FindItemPrefix(1019, prefix, after), found) << prefix << after;

    dialog.AddRow(1020, {"Talvo 5.2 (10)", "1.2.2024", "1.1.2024", "a.exe"}, 1);
    dialog.AddRow(1020, {"Sesam", "2.2.2024", "2.1.2024", "b.exe"}, 0);
    dialog.AddRow(1020, {"Talvo 5.2 (10)", "3.2.2024", "3.1.2024", "c.exe"}, 1);
    const std::string third = "Talvo 5.2 (10)\t3.2.2024\t3.1.2024\tc.exe";
    // Choosing a row deselects the others first; rows with the same first
    // column are told apart by all their cells.
    EXPECT_TRUE(dialog.UserSelect(1020, "Sesam"));
    EXPECT_TRUE(dialog.UserSelect(1020, third));
    EXPECT_FALSE(dialog.UserSelect(1020, "absent"));
    EXPECT_EQ(rowChanges, (Ids{1, 1, 2}));
    EXPECT_EQ(dialog.SelectedItems(1020), (Ids{2}));
    // A Ctrl-click changes one row and reports only that one.
    rowChanges.clear();
    EXPECT_TRUE(dialog.UserToggle(1020, "Sesam", true));
    EXPECT_FALSE(dialog.UserToggle(1020, "Sesam", true)) << "already selected";
    EXPECT_TRUE(dialog.UserToggle(1020, third, false));
    EXPECT_FALSE(dialog.UserToggle(1019, "0", true)) << "not a multi-selection list";
    EXPECT_EQ(rowChanges, (Ids{1, 2}));
    EXPECT_EQ(dialog.SelectedItems(1020), (Ids{1}));
}

TEST(DialogModelPosting, PostsRunOnTheDialogThreadInOrderAndStopAtTheEnd) {
    test::HookDialog dialog(130, "Téléchargement");
    dialog.AddLabel(1034);
    dialog.PostCommand(kIdOk);  // not running yet: dropped
    dialog.BeginModal();
    const std::thread::id dialogThread = std::this_thread::get_id();
    std::atomic<bool> ranOnDialogThread{false};
    std::atomic<int> answered{0};
    std::thread worker([&] {
        dialog.PostCall([&] { ranOnDialogThread = std::this_thread::get_id() == dialogThread; });
        answered = dialog.CallOnDialogThread([&] {
            dialog.SetText(1034, std::this_thread::get_id() == dialogThread ? "Port ouvert" : "autre fil");
        }) ? 1 : 2;
    });
    EXPECT_TRUE(dialog.PumpUntil([&] { return dialog.Text(1034) == "Port ouvert"; }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_TRUE(ranOnDialogThread);
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
