// The presenters and the dialog model they run: what no end-to-end run shows
// (refusals, safe answers, exact transcript lines), and choosing one by name.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <sstream>
#include <thread>
#include <variant>

#include "hostsuite/desktop_presenter.h"
#include "hostsuite/dialog_model.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/message_box.h"
#include "hostsuite/presenter_selection.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/terminal_dialog_view.h"
#include "hostsuite/terminal_presenter.h"
#include "hostsuite/terminal_text.h"
#include "hostsuite/watched_presenter.h"
#include "support/workstation.h"

namespace kt::hostsuite {
namespace {

using kt::test::Strings;
using PresenterTest = kt::test::Workstation;

// The no-connection dialog, waiting for the user; it records the hooks reached.
class WaitingDialog : public DialogModel {
public:
    explicit WaitingDialog(int id = 145) : DialogModel(id, "Talvo") {
        AddPush(1, "OK");
        AddPush(2, "Annuler");
        AddLabel(1038, "Erreur lors de l'établissement de la connexion internet.");
    }
    std::vector<std::string> hooks;

protected:
    void OnOK() override { hooks.push_back("ok"); DialogModel::OnOK(); }
    void OnCancel() override { hooks.push_back("cancel"); DialogModel::OnCancel(); }
    void OnClose() override { hooks.push_back("close"); DialogModel::OnClose(); }
    void OnEscape() override { hooks.push_back("escape"); DialogModel::OnEscape(); }
};

TEST(DialogModelTest, ControlsFollowTheirRulesAndPostsRunOnTheDialogThreadUntilItEnds) {
    WaitingDialog dialog(102);
    dialog.AddRadio(1000, "Internet");
    dialog.AddRadio(1027, "Réseau", 2);
    dialog.AddEdit(1004);
    dialog.AddProgress(1022);
    dialog.PostCommand(kIdOk);  // not running yet: dropped
    dialog.BeginModal();
    // Radio buttons clear their own group only, and are not cleared by themselves.
    dialog.SetCheck(1027, true);
    EXPECT_TRUE(dialog.UserClick(1000) && dialog.IsChecked(1027) && !dialog.UserSetCheck(1000, false) && !dialog.UserSetCheck(1004, true));
    // The skin paints a real dialog and surface with a real image only.
    char surface;
    EXPECT_EQ(PaintDialogBackground(nullptr, &surface, 7) + PaintDialogBackground(&dialog, &surface, 0), 0);
    EXPECT_TRUE(PaintDialogBackground(&dialog, &surface, 7) == 1 && DialogBackgroundImage(&dialog) == 7);
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
    // A click picks a row by its text or, when first columns repeat, by all
    // its cells; in a multiple list it deselects the others, each reported.
    dialog.AddCombo(1019, true);
    for (const char* time : {"10:30", "00:30"}) dialog.AddItem(1019, time);
    EXPECT_TRUE(dialog.UserSelect(1019, "10:30") && dialog.Selection(1019) == 1);
    EXPECT_EQ(dialog.FindItemPrefix(4242, "1", -1), -1) << "no such list";
    std::vector<int> changes;
    dialog.AddList(1020, false, true);
    dialog.BindSelectionChange(1020, [&](int item) { changes.push_back(item); });
    for (const char* day : {"1.2.2024", "2.2.2024"}) dialog.AddRow(1020, {"Talvo 5.2", day});
    dialog.SetSelection(1020, 0);
    EXPECT_TRUE(dialog.UserSelect(1020, "Talvo 5.2\t2.2.2024") && !dialog.UserSelect(1020, "absent"));
    EXPECT_EQ(changes, (std::vector<int>{0, 1}));

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

// While a dialog runs, the terminal reprints only the lines that changed, at most twice a second.
TEST(TerminalDialogViewTest, OnlyTheLinesThatChangedAreReprinted) {
    WaitingDialog dialog;
    dialog.AddLabel(1039, "Connexion...");
    std::ostringstream out;
    TerminalDialogView view(out, false);
    view.PrintAll(dialog);
    dialog.SetText(1039, "Connecté.");
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    out.str("");
    view.PrintChanges(dialog);
    EXPECT_EQ(out.str(), "\n  Connecté.\n");
}

// One item a row: what is typed before the input ends, the answer, the last
// transcript line ("": not checked) and texts the screen shows.
TEST_F(PresenterTest, TheTerminalTakesANumberOrAWordThenTheSafeAnswerOnceTheInputEnds) {
    const std::string proxy = "credentials target=\"proxy:3128\" -> ";
    const auto question = [](unsigned style) {
        return [style] { return std::to_string(KtMessageBox(nullptr, "Installer maintenant ?", "Talvo", style, 1, 1060)); };
    };
    const auto buttons = [] { return std::to_string(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021)); };
    const auto credentials = [] {
        const auto given = ActivePresenter().AskCredentials("proxy:3128");
        return given ? given->user + "|" + given->password : "-";
    };
    const auto run = [](auto dialog) { return std::to_string(ActivePresenter().RunDialog(dialog)); };
    const auto folder = [] { return ActivePresenter().ChooseFolder(nullptr, "Choisir", "/srv").value_or("-"); };
    const struct {
        std::deque<std::string> typed;
        std::function<std::string()> ask;
        std::string answer, line;
        std::vector<std::string> screen;
    } cases[] = {
        {{"peut-être", "2"}, question(kStyleQuestionYesNo), "7",
         "message id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer maintenant ?\" -> no",
         {"--- Talvo (Question) ---\nInstaller maintenant ?\n  1. Oui\n  2. Non\nVotre choix : Réponse non comprise."}},
        {{"OUI"}, question(kStyleQuestionYesNo), "6", "", {}},
        {{}, question(kStyleWarningYesNo), "7", "", {}},
        {{"3"}, buttons, "25", "", {"  1. Oui\n  2. Non\n  3. Options...\n"}},
        {{}, buttons, "24",
         "buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" text=\"Mettre à jour ?\" -> 24 unscripted",
         {}},
        {{"/srv/maj"}, folder, "/srv/maj", "folder caption=\"Choisir\" -> \"/srv/maj\"", {"Répertoire actuel : /srv\n"}},
        {{""}, folder, "-", "folder caption=\"Choisir\" -> cancel", {}},
        {{"jean", "secret"}, credentials, "jean|secret", proxy + "user=\"jean\"", {"proxy:3128"}},
        {{""}, credentials, "-", proxy + "cancel", {}},
        {{"jean"}, credentials, "-", proxy + "cancel unscripted", {}},
        // Actions are numbered in the order of the controls; a disabled one is not available.
        {{"4", "x"}, [&] { return run(WaitingDialog()); }, "2", "dialog 145 end 2",
         {"=== Talvo === (fenêtre 145)", "< OK >", "Choix non disponible."}},
        {{}, [&] { return run(WaitingDialog()); }, "2", "dialog 145 end 2 unscripted", {}},
        // A row is chosen by its number, added to or removed from the selection; an unknown number chooses nothing.
        {{"3", "9", "3", "2", "4", "3", "5", "2", "x"},
         [] {
             WaitingDialog dialog;
             dialog.AddList(1020, false, true);
             for (const char* row : {"a", "b", "c"}) dialog.AddRow(1020, {row, "1.1.2026"});
             std::string result = std::to_string(ActivePresenter().RunDialog(dialog)) + ":";
             for (int row : dialog.SelectedItems(1020)) result += std::to_string(row);
             return result;
         },
         "2:2", "dialog 145 end 2", {"  3. c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer + " " + c.line);
        std::ostringstream out;
        const auto shown = tree / ("shown" + std::to_string(&c - cases) + ".txt");
        auto typed = std::make_shared<std::deque<std::string>>(c.typed);
        InstallPresenter(std::make_shared<TerminalPresenter>(
            TranscriptWriter::Open(shown), out, [typed](std::string& line, std::chrono::milliseconds) {
                if (typed->empty()) return platform::ConsoleRead::Closed;
                line = typed->front();
                typed->pop_front();
                return platform::ConsoleRead::Line;
            }));
        EXPECT_EQ(c.ask(), c.answer);
        EXPECT_TRUE(c.line.empty() || Lines(kt::test::ReadFile(shown)).back() == c.line) << kt::test::ReadFile(shown);
        for (const std::string& text : c.screen) EXPECT_NE(out.str().find(text), std::string::npos) << text << " not in:\n" << out.str();
        EXPECT_EQ((out.str() + kt::test::ReadFile(shown)).find("secret"), std::string::npos);
    }
}

TEST(TerminalText, ProgressBarsShowTheirShareOfTheRangeAndAnEmptyRangeIsNoDivisionByZero) {
    const std::tuple<int, int, const char*> cases[] = {
        {200, 100, "[##########----------]  50 %"}, {200, 200, "[####################] 100 %"}, {0, 0, "[--------------------]   0 %"}};
    for (const auto& [high, position, text] : cases) {
        Control bar;
        std::tie(bar.rangeHigh, bar.position) = std::tie(high, position);
        EXPECT_EQ(ProgressText(bar), text);
    }
}

// The watched presenter plays a script as the scripted one does, and shows
// each item with the script's answer.
TEST_F(PresenterTest, TheWatchedPresenterShowsEachItemWithTheScriptsAnswer) {
    std::ostringstream terminal;
    InstallPresenter(std::make_shared<WatchedScriptPresenter>(std::get<Script>(ParseScript("dialog 145: click 1\nmessage 1060 -> yes\n")),
                                                              TranscriptWriter::Open(tree / "watched.txt"), terminal));
    WaitingDialog dialog;
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdOk);
    EXPECT_EQ(KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 1, 1060), kIdYes);
    EXPECT_EQ(Lines(kt::test::ReadFile(tree / "watched.txt")),
              (Strings{"dialog 145 open caption=\"Talvo\"", "dialog 145 do click 1",
                       "dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\"", "dialog 145 end 1",
                       "message id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer ?\" -> yes"}));
    for (const std::string expected : {"Action du script : dialog 145 do click 1", "Réponse du script : Oui", "=== Talvo : fermée ==="}) {
        EXPECT_NE(terminal.str().find(expected), std::string::npos) << expected << " not in:\n" << terminal.str();
    }
    EXPECT_EQ(terminal.str().find("Votre choix"), std::string::npos);
}

// Each dialog run takes the next line; a dialog left waiting (or without a line)
// is cancelled as by Escape. Boxes take their scripted answer once, then their
// safe answer; five characters are escaped in the transcript, the rest stays UTF-8.
TEST_F(PresenterTest, TheScriptedPresenterAnswersAsScriptedOrWithTheAnswerThatChangesLeast) {
    UseScript("dialog 145: click 1\ndialog 145: close\ndialog 145: wait 1038 10; sleep 1\n"
              "buttons \"Mettre\" -> 25\ncredentials -> \"jean\" \"secret\" *\n");
    for (const auto& [result, hooks] : {std::pair{kIdOk, Strings{"ok"}}, {kIdCancel, {"close", "cancel"}}, {kIdCancel, {"escape", "cancel"}},
                                        {kIdCancel, {"escape", "cancel"}}}) {
        WaitingDialog dialog;
        EXPECT_EQ(scripted->RunDialog(dialog), result);
        EXPECT_EQ(dialog.hooks, hooks);
    }
    const auto buttons = [] { return KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021); };
    EXPECT_EQ(buttons(), kIdButton3);
    EXPECT_EQ(scripted->AskCredentials("proxy:3128")->password, "secret");
    const std::pair<unsigned, int> unscripted[] = {
        {kStyleQuestionYesNo, kIdNo}, {kStyleWarningRetryCancel, kIdCancel}, {0x21, kIdCancel}, {0x23, kIdCancel}, {kStyleErrorOk, kIdOk}};
    for (const auto& [style, answer] : unscripted) EXPECT_EQ(KtMessageBox(nullptr, "a", "T", style, 1), answer) << style;
    EXPECT_EQ(KtMessageBox(nullptr, "a\\b\"c\nd\re\tf\x01", "« Talvo »", kStyleErrorOk, 1), kIdOk);
    EXPECT_EQ(buttons(), kIdButton2);
    EXPECT_EQ(scripted->AskCredentials("proxy:3128")->user, "jean") << "a line marked * answers every time";
    const std::string text = "dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\"";
    const auto box = [](const char* style, const char* answer) {
        return std::string("message id=- caption=\"T\" style=") + style + " flag=1 text=\"a\" -> " + answer + " unscripted";
    };
    const std::string buttonsLine = "buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" "
                                    "text=\"Mettre à jour ?\" -> ";
    const Strings shown = Transcript();
    ASSERT_EQ(shown.size(), 26u);
    EXPECT_EQ(Strings(shown.begin() + 8, shown.end()),
              (Strings{"dialog 145 open caption=\"Talvo\"", "dialog 145 do wait 1038 10", "dialog 145 do sleep 1", text,
                       "dialog 145 end 2 unscripted", "dialog 145 open caption=\"Talvo\"", text, "dialog 145 end 2 unscripted",
                       buttonsLine + "25",
                       "credentials target=\"proxy:3128\" -> user=\"jean\"", box("0x24", "no"), box("0x35", "cancel"),
                       box("0x21", "cancel"), box("0x23", "cancel"), box("0x10", "ok"),
                       "message id=- caption=\"« Talvo »\" style=0x10 flag=1 text=\"a\\\\b\\\"c\\nd\\re\\tf\x01\" -> ok unscripted",
                       buttonsLine + "24 unscripted", "credentials target=\"proxy:3128\" -> user=\"jean\""}));
}

// A new choice reads the script afresh and appends to its transcript; a refused
// one keeps the presenter in use and writes nothing; windows are refused without
// their plugin beside this program ("auto" then takes the terminal).
TEST(PresenterSelectionTest, AScriptIsReadAfreshAndARefusedChoiceChangesNothing) {
    kt::test::TempTree tree;
    const auto ask = [] { return KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 1, 1060); };
    const std::string ui = "script:" + tree.WriteFile("answers.txt", "message 1060 -> yes\n").string();
    const auto shown = tree.WriteFile("shown.txt", "earlier line\n");
    for (const char* transcript : {shown.c_str(), static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(SelectPresenter(ui.c_str(), transcript), 1);
        EXPECT_EQ(ask(), kIdYes);
    }
    EXPECT_EQ(ask(), kIdNo);
    EXPECT_EQ(kt::test::ReadFile(shown), "earlier line\nmessage id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer ?\" -> yes\n");
    // "watch:" plays the same script and shows it on the terminal.
    std::ostringstream screen;
    std::streambuf* const terminal = std::cout.rdbuf(screen.rdbuf());
    const int watched = SelectPresenter(("watch:" + ui.substr(7)).c_str(), nullptr), answer = ask();
    std::cout.rdbuf(terminal);
    EXPECT_TRUE(watched == 1 && answer == kIdYes && screen.str().find("Réponse du script : Oui") != std::string::npos) << screen.str();

    const std::string other = (tree / "other.txt").string(), bad = tree.WriteFile("bad.txt", "message 1060 -> yes\nmessage 1060 => yes\n");
    const char* const display = std::getenv("DISPLAY");
    const std::string savedDisplay = display ? display : "";
    const std::tuple<std::string, std::string, const char*, const char*, int> choices[] = {
        {"", other, ":97", nullptr, 0}, {"gui", other, ":97", nullptr, 0}, {"Terminal", other, ":97", nullptr, 0},
        {"script:", other, ":97", nullptr, 0}, {"script:" + (tree / "absent.txt").string(), other, ":97", nullptr, 0},
        {"script:" + bad, other, ":97", nullptr, 0}, {ui, (tree / "no/such/folder/shown.txt").string(), ":97", nullptr, 0},
        {"gtk", "", ":97", nullptr, 0}, {"gtk", "", nullptr, nullptr, 0}, {"auto", "", nullptr, "wayland-0", 1}, {"auto", "", "", "", 1}};
    auto recorder = std::make_shared<kt::test::RecordingPresenter>();
    for (const auto& [choice, transcript, x11, wayland, result] : choices) {
        SCOPED_TRACE(choice + (x11 ? x11 : "-") + (wayland ? wayland : "-"));
        x11 ? setenv("DISPLAY", x11, 1) : unsetenv("DISPLAY");
        wayland ? setenv("WAYLAND_DISPLAY", wayland, 1) : unsetenv("WAYLAND_DISPLAY");
        EXPECT_EQ(DisplayConfigured(), (x11 && *x11) || (wayland && *wayland));
        InstallPresenter(recorder);
        EXPECT_EQ(SelectPresenter(choice.c_str(), transcript.empty() ? nullptr : transcript.c_str()), result);
        const std::size_t before = recorder->messages.size();
        ask();
        EXPECT_EQ(recorder->messages.size(), before + (result == 0 ? 1 : 0)) << "the recorder kept";
    }
    display ? setenv("DISPLAY", savedDisplay.c_str(), 1) : unsetenv("DISPLAY");
    EXPECT_EQ(SelectPresenter(nullptr, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(other));
    EXPECT_EQ(SelectPresenter("terminal", (tree / "terminal.txt").c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(tree / "terminal.txt"));
    InstallPresenter(nullptr);
}

}  // namespace
}  // namespace kt::hostsuite
