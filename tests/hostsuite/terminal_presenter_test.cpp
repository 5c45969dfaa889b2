// The terminal presenter with a keyboard played by the test (and once with a
// real standard input): French prompts, answers by number or word, dialogs
// driven by their numbered actions, and safe answers once the input ends.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <deque>
#include <sstream>
#include <thread>

#include "hostsuite/message_box.h"
#include "hostsuite/terminal_presenter.h"
#include "hostsuite/terminal_text.h"
#include "support/workstation.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using platform::ConsoleRead;
constexpr auto npos = std::string::npos;

class TerminalPresenterTest : public kt::test::Workstation {
protected:
    // Installs a presenter that reads `lines`, then finds the input ended or,
    // unless `closesAtEnd`, a person who types nothing more.
    std::shared_ptr<TerminalPresenter> Typed(std::deque<std::string> lines, bool closesAtEnd = true) {
        auto typed = std::make_shared<std::deque<std::string>>(std::move(lines));
        auto presenter = std::make_shared<TerminalPresenter>(
            TranscriptWriter::Open(tree / "shown.txt"), out,
            [typed, closesAtEnd](std::string& line, std::chrono::milliseconds) {
                if (!typed->empty()) {
                    line = typed->front();
                    typed->pop_front();
                    return ConsoleRead::Line;
                }
                if (closesAtEnd) return ConsoleRead::Closed;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return ConsoleRead::Timeout;
            });
        InstallPresenter(presenter);
        return presenter;
    }

    std::vector<std::string> Shown() const { return Lines(kt::test::ReadFile(tree / "shown.txt")); }

    std::ostringstream out;
};

TEST_F(TerminalPresenterTest, BoxesTakeANumberOrAButtonsWordThenTheirSafeAnswerOnceTheInputEnds) {
    Typed({"peut-être", "2", "OUI", "réessayer", "annuler", "3"});
    EXPECT_EQ(KtMessageBox(nullptr, "Installer maintenant ?", "Talvo", kStyleQuestionYesNo, 1, 1060), kIdNo);
    EXPECT_EQ(KtMessageBox(nullptr, "?", "Talvo", kStyleQuestionYesNo, 1), kIdYes);
    EXPECT_EQ(KtMessageBox(nullptr, "?", "Talvo", kStyleWarningRetryCancel, 1), kIdRetry);
    EXPECT_EQ(KtMessageBox(nullptr, "?", "Talvo", 0x23, 1), kIdCancel);
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton3);
    const std::string shown = out.str();
    EXPECT_NE(shown.find("--- Talvo (Question) ---\nInstaller maintenant ?\n  1. Oui\n  2. Non\n"), npos) << shown;
    EXPECT_NE(shown.find("Réponse non comprise."), npos);
    EXPECT_NE(shown.find("  1. Oui\n  2. Non\n  3. Options...\n"), npos) << "custom buttons lose their accelerators";

    EXPECT_EQ(KtMessageBox(nullptr, "Annuler ?", "Attention !", kStyleWarningYesNo, 1, 1062), kIdNo);
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton2);
    test::WaitingDialog dialog;
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdCancel);
    const auto lines = Shown();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "message id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer maintenant ?\" -> no");
    EXPECT_TRUE(lines[5].ends_with("-> no unscripted")) << lines[5];
    EXPECT_TRUE(lines[6].ends_with("-> 24 unscripted")) << lines[6];
    EXPECT_EQ(lines[9], "dialog 145 end 2 unscripted");
}

// An empty name or folder cancels, and so does the input's end; the password
// is never shown nor written.
TEST_F(TerminalPresenterTest, CredentialsAndFoldersAreTypedAndAnEmptyLineCancels) {
    auto presenter = Typed({"jean", "secret", "", "/srv/maj partagée", ""});
    const auto given = presenter->AskCredentials("proxy.cabinet:3128");
    ASSERT_TRUE(given.has_value());
    EXPECT_EQ(given->user + "|" + given->password, "jean|secret");
    EXPECT_FALSE(presenter->AskCredentials("proxy.cabinet:3128").has_value());
    const std::string caption = "Sélectionner le répertoire...";
    EXPECT_EQ(BrowseForFolder(nullptr, caption, "/srv/ancien"), "/srv/maj partagée");
    EXPECT_FALSE(BrowseForFolder(nullptr, caption, "").has_value());
    EXPECT_FALSE(BrowseForFolder(nullptr, caption, "").has_value());
    EXPECT_FALSE(presenter->AskCredentials("proxy.cabinet:3128").has_value());
    EXPECT_NE(out.str().find("/srv/ancien"), npos) << "the folder it starts on is shown";
    const std::string folder = "folder caption=\"" + caption + "\" -> ";
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "credentials target=\"proxy.cabinet:3128\" -> user=\"jean\"",
                           "credentials target=\"proxy.cabinet:3128\" -> cancel", folder + "\"/srv/maj partagée\"",
                           folder + "cancel", folder + "cancel unscripted",
                           "credentials target=\"proxy.cabinet:3128\" -> cancel unscripted"}));
    EXPECT_EQ(kt::test::ReadFile(tree / "shown.txt").find("secret"), npos);
}

// Actions are numbered in the order of the controls; a disabled one is not
// available; a password is neither shown nor written; the close box ("x") and
// Escape ("e") are offered too.
TEST_F(TerminalPresenterTest, ADialogIsDrivenByItsNumberedActions) {
    Typed({"2", "3", "/srv/maj", "5", "2", "9", "6"});
    DialogModel dialog(102, "Mise à jour de Talvo");
    dialog.AddRadio(1000, "Internet");
    dialog.AddRadio(1001, "Réseau local");
    dialog.AddEdit(1004);
    dialog.AddEdit(1010, "secret");
    dialog.AddCombo(1047);
    dialog.AddPush(1, "Commencer");
    dialog.AddPush(1020, "Historique");
    dialog.SetEditStyle(1010, true, false, false, 0);
    for (const char* item : {"Quotidien", "Hebdomadaire"}) dialog.AddItem(1047, item);
    dialog.Enable(1020, false);
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdOk);
    for (const char* shown : {"=== Mise à jour de Talvo === (fenêtre 102)", "< Historique >  (inactif)",
                              "Zone de saisie 1010 : ******", "Choix non disponible."}) {
        EXPECT_NE(out.str().find(shown), npos) << shown;
    }
    EXPECT_EQ(out.str().find("secret"), npos);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "dialog 102 open caption=\"Mise à jour de Talvo\"", "dialog 102 do click 1001",
                           "dialog 102 do text 1004 \"/srv/maj\"", "dialog 102 do select 1047 \"Hebdomadaire\"",
                           "dialog 102 do click 1", "dialog 102 text 1004=\"/srv/maj\"", "dialog 102 text 1010=\"***\"",
                           "dialog 102 end 1"}));
    for (const auto& [typed, hook] : {std::pair{"x", "close"}, {"e", "escape"}}) {
        Typed({typed});
        test::WaitingDialog waiting;
        EXPECT_EQ(ActivePresenter().RunDialog(waiting), kIdCancel);
        EXPECT_EQ(waiting.hooks, (std::vector<std::string>{hook, "cancel"}));
    }
}

TEST_F(TerminalPresenterTest, AWorkingDialogEndsByItselfWhileNobodyTypesAndCancellingItAsksFirst) {
    Typed({}, false);
    test::WorkerDialog finished;
    EXPECT_EQ(ActivePresenter().RunDialog(finished), kIdOk);
    // The bar shows as "  [", twenty marks, "]" and its share in per cent.
    const std::string text = out.str();
    const auto bar = text.find("\n  [");
    ASSERT_NE(bar, npos) << text;
    const std::string line = text.substr(bar + 1, text.find('\n', bar + 1) - bar - 1);
    EXPECT_EQ(line.find_first_not_of("#-", 3), 23u) << line;
    EXPECT_TRUE(line.ends_with(" %")) << line;
    EXPECT_EQ(Shown().back(), "dialog 130 end 1");

    Typed({"1", "oui"}, false);
    test::WorkerDialog cancelled(95);
    EXPECT_EQ(ActivePresenter().RunDialog(cancelled), kIdCancel);
    EXPECT_LT(cancelled.Position(1022), 100);
    const auto lines = Shown();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[4], "dialog 130 open caption=\"Téléchargement\"");
    EXPECT_EQ(lines[5], "dialog 130 do click 2");
    EXPECT_TRUE(lines[6].starts_with("message id=1062 ") && lines[6].ends_with("-> yes")) << lines[6];
    EXPECT_EQ(lines.back(), "dialog 130 end 2");
}

// A real standard input in another process: typed lines answer in turn, a
// last line without end of line counts, then the input has ended.
TEST(TerminalConsole, ReadsTheRealStandardInput) {
    kt::test::TempTree tree;
    for (const auto& [typed, answers] : {std::pair{"non\r\n3\n", "answers 7 25"}, {"\n\noui", "answers 6 24"},
                                         {"", "answers 7 24"}}) {
        SCOPED_TRACE(typed);
        const auto input = tree.WriteFile("typed.txt", typed);
        const auto output = tree / "out.txt";
        const std::string command =
            std::string(TERMINAL_HELPER_PATH) + " <'" + input.string() + "' >'" + output.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const std::string out = kt::test::ReadFile(output);
        EXPECT_NE(out.find("\n" + std::string(answers) + "\n"), npos) << out;
    }
}

TEST(TerminalText, ProgressBarsShowTheirShareOfTheRange) {
    const std::tuple<int, int, const char*> cases[] = {
        {200, 100, "[##########----------]  50 %"},
        {200, 200, "[####################] 100 %"},
        {0, 0, "[--------------------]   0 %"},  // an empty range is not a division by zero
    };
    for (const auto& [high, position, text] : cases) {
        Control bar;
        bar.kind = ControlKind::Progress;
        bar.rangeHigh = high;
        bar.position = position;
        EXPECT_EQ(ProgressText(bar), text);
    }
}

}  // namespace
}  // namespace kt::hostsuite
