// The scripted presenter: items answered from a script, or given their safe
// answer, and every item written to the transcript in the order shown.
#include <gtest/gtest.h>

#include <memory>
#include <variant>

#include "hostsuite/message_box.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/watched_presenter.h"
#include "support/workstation.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using kt::test::Strings;
using ScriptedPresenterTest = kt::test::Workstation;

// The watched presenter plays a script as the scripted one does, and shows
// each item with the script's answer.
TEST_F(ScriptedPresenterTest, TheWatchedPresenterShowsEachItemWithTheScriptsAnswer) {
    std::ostringstream terminal;
    InstallPresenter(std::make_shared<WatchedScriptPresenter>(std::get<Script>(ParseScript("dialog 145: click 1\nmessage 1060 -> yes\n")),
                                                              TranscriptWriter::Open(tree / "watched.txt"), terminal));
    test::WaitingDialog dialog;
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

// Each dialog run takes the next line: close reaches its hook; a dialog left
// waiting (or without a line) is cancelled as by Escape. Boxes take
// their scripted answer once, then each kind's safe answer; five characters
// are escaped in the transcript, the rest stays UTF-8.
TEST_F(ScriptedPresenterTest, ItemsAnswerAsScriptedOrWithTheAnswerThatChangesLeast) {
    UseScript("dialog 145: click 1\ndialog 145: close\ndialog 145: wait 1038 10; sleep 1\n"
              "buttons \"Mettre\" -> 25\ncredentials -> \"jean\" \"secret\" *\n");
    for (const auto& [result, hooks] : {std::pair{kIdOk, Strings{"ok"}}, {kIdCancel, {"close", "cancel"}}, {kIdCancel, {"escape", "cancel"}},
                                        {kIdCancel, {"escape", "cancel"}}}) {
        test::WaitingDialog dialog;
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

}  // namespace
}  // namespace kt::hostsuite
