// The terminal presenter with a keyboard played by the test: answers by number
// or word, dialogs driven by their actions, safe answers once the input ends;
// the password is neither shown nor written.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "hostsuite/message_box.h"
#include "hostsuite/terminal_presenter.h"
#include "hostsuite/terminal_text.h"
#include "support/workstation.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using TerminalPresenterTest = kt::test::Workstation;

// One item a row: what is typed (then the input ends, or stays silent), the
// answer, the last transcript line ("": not checked) and texts the screen shows.
TEST_F(TerminalPresenterTest, ItemsTakeANumberOrAWordThenTheirSafeAnswerOnceTheInputEnds) {
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
        {{"jean", "secret"}, credentials, "jean|secret", proxy + "user=\"jean\"", {"proxy:3128"}},
        {{""}, credentials, "-", proxy + "cancel", {}},
        {{"jean"}, credentials, "-", proxy + "cancel unscripted", {}},
        // Actions are numbered in the order of the controls; a disabled one is not available.
        {{"4", "x"}, [&] { return run(test::WaitingDialog()); }, "2", "dialog 145 end 2", {"=== Talvo === (fenêtre 145)", "< OK >", "Choix non disponible."}},
        {{}, [&] { return run(test::WaitingDialog()); }, "2", "dialog 145 end 2 unscripted", {}},
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

}  // namespace
}  // namespace kt::hostsuite
