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

// One prompt a row, on a keyboard that types `typed` and then ends: what it
// answers, its transcript line, and a text the screen must show. The
// password is neither shown nor written.
TEST_F(TerminalPresenterTest, PromptsTakeANumberOrAWordThenTheirSafeAnswerOnceTheInputEnds) {
    const std::string folder = "folder caption=\"Dossier\" -> ";
    const auto question = [](unsigned style) {
        return std::to_string(KtMessageBox(nullptr, "Installer maintenant ?", "Talvo", style, 1, 1060));
    };
    const auto buttons = [] {
        return std::to_string(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021));
    };
    const auto credentials = [this] {
        const auto given = ActivePresenter().AskCredentials("proxy:3128");
        return given ? given->user + "|" + given->password : "-";
    };
    const auto browse = [] { return BrowseForFolder(nullptr, "Dossier", "/srv/ancien").value_or("-"); };
    const auto waiting = [] {
        test::WaitingDialog dialog;
        EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdCancel);
        return dialog.hooks.empty() ? std::string() : dialog.hooks[0];
    };
    const struct {
        std::deque<std::string> typed;
        std::function<std::string()> ask;
        std::string answer, line, screen;
    } cases[] = {
        {{"peut-être", "2"}, [&] { return question(kStyleQuestionYesNo); }, "7",
         "message id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer maintenant ?\" -> no",
         "--- Talvo (Question) ---\nInstaller maintenant ?\n  1. Oui\n  2. Non\n"},
        {{"peut-être"}, [&] { return question(kStyleQuestionYesNo); }, "7", "", "Votre choix : Réponse non comprise."},
        {{"OUI"}, [&] { return question(kStyleQuestionYesNo); }, "6", "", ""},
        {{"réessayer"}, [&] { return question(kStyleWarningRetryCancel); }, "4", "", ""},
        {{"annuler"}, [&] { return question(0x23); }, "2", "", ""},
        {{}, [&] { return question(kStyleWarningYesNo); }, "7", "", ""},
        {{"3"}, buttons, "25", "", "  1. Oui\n  2. Non\n  3. Options...\n"},
        {{}, buttons, "24",
         "buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" "
         "text=\"Mettre à jour ?\" -> 24 unscripted", ""},
        {{"jean", "secret"}, credentials, "jean|secret", "credentials target=\"proxy:3128\" -> user=\"jean\"", "proxy:3128"},
        {{""}, credentials, "-", "credentials target=\"proxy:3128\" -> cancel", ""},
        {{}, credentials, "-", "credentials target=\"proxy:3128\" -> cancel unscripted", ""},
        {{"/srv/maj partagée"}, browse, "/srv/maj partagée", folder + "\"/srv/maj partagée\"", "/srv/ancien"},
        {{""}, browse, "-", folder + "cancel", ""},
        {{}, browse, "-", folder + "cancel unscripted", ""},
        {{"x"}, waiting, "close", "", ""},
        {{"e"}, waiting, "escape", "", ""},
        {{}, waiting, "escape", "dialog 145 end 2 unscripted", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer + " " + c.line);
        out.str("");
        std::filesystem::remove(tree / "shown.txt");
        Typed(c.typed);
        EXPECT_EQ(c.ask(), c.answer);
        if (!c.line.empty()) {
            EXPECT_EQ(Shown().back(), c.line);
        }
        EXPECT_NE(out.str().find(c.screen), npos) << out.str();
        EXPECT_EQ((out.str() + kt::test::ReadFile(tree / "shown.txt")).find("secret"), npos);
    }
}

// Actions are numbered in the order of the controls; a disabled one is not
// available; a password is neither shown nor written.
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
}

TEST_F(TerminalPresenterTest, AWorkingDialogEndsByItselfWhileNobodyTypesAndCancellingItAsksFirst) {
    Typed({}, false);
    test::WorkerDialog finished;
    EXPECT_EQ(ActivePresenter().RunDialog(finished), kIdOk);
    EXPECT_NE(out.str().find("\n  ["), npos) << "the bar is drawn";
    Typed({"1", "oui"}, false);
    test::WorkerDialog cancelled(95);
    EXPECT_EQ(ActivePresenter().RunDialog(cancelled), kIdCancel);
    EXPECT_TRUE(InOrder(Shown(), {"dialog 130 end 1", "dialog 130 open caption=\"Téléchargement\"", "dialog 130 do click 2",
                                  "message id=1062 caption=\"Attention !\" style=0x34 flag=1 "
                                  "text=\"Le téléchargement n'est pas terminé.\" -> yes",
                                  "dialog 130 end 2"}));
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

// An empty range is not a division by zero.
TEST(TerminalText, ProgressBarsShowTheirShareOfTheRange) {
    const std::tuple<int, int, const char*> cases[] = {
        {200, 100, "[##########----------]  50 %"}, {200, 200, "[####################] 100 %"}, {0, 0, "[--------------------]   0 %"}};
    for (const auto& [high, position, text] : cases) {
        Control bar;
        bar.rangeHigh = high;
        bar.position = position;
        EXPECT_EQ(ProgressText(bar), text);
    }
}

}  // namespace
}  // namespace kt::hostsuite
