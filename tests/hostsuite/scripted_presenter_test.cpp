// The scripted presenter: items answered from a script, or given their safe
// answer, and every item written to the transcript in the order shown.
#include <gtest/gtest.h>

#include <memory>
#include <variant>

#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/watched_presenter.h"
#include "support/workstation.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using test::WaitingDialog;
using test::WorkerDialog;
using kt::test::Strings;

using ScriptedPresenterTest = kt::test::Workstation;

const std::string kCancelQuestion = "message id=1062 caption=\"Attention !\" style=0x34 flag=1 "
                                    "text=\"Le téléchargement n'est pas terminé.\" -> ";

// Cancel answered No lets the work go on; answered Yes, it stops the worker
// where the script saw it; the watched presenter writes the same transcript
// and shows each item with the script's answer.
TEST_F(ScriptedPresenterTest, CancellingAsksFirstAndStopsTheWorkerWhereTheScriptSawIt) {
    const std::string script = "dialog 130: wait 1022 30; click 2; wait 1022 60; click 2\nmessage 1062 -> no\nmessage 1062 -> yes\n";
    UseScript(script);
    WorkerDialog dialog(60);
    EXPECT_EQ(scripted->RunDialog(dialog), kIdCancel);
    EXPECT_EQ(dialog.cancelQuestions, 2);
    EXPECT_EQ(dialog.Position(1022), 60);
    EXPECT_FALSE(dialog.IsEnabled(2));
    EXPECT_EQ(Transcript(), (Strings{"dialog 130 open caption=\"Téléchargement\"", "dialog 130 do wait 1022 30",
                              "dialog 130 do click 2", kCancelQuestion + "no", "dialog 130 do wait 1022 60",
                              "dialog 130 do click 2", kCancelQuestion + "yes",
                              "dialog 130 text 1028=\"Fin de l'opération en cours...\"",
                              "dialog 130 text 1061=\"Reçu 60 Ko\"", "dialog 130 end 2"}));

    std::ostringstream terminal;
    InstallPresenter(std::make_shared<WatchedScriptPresenter>(std::get<Script>(ParseScript(script)),
                                                              TranscriptWriter::Open(tree / "watched.txt"), terminal));
    WorkerDialog watched(60);
    EXPECT_EQ(ActivePresenter().RunDialog(watched), kIdCancel);
    EXPECT_EQ(Lines(kt::test::ReadFile(tree / "watched.txt")), Transcript());
    for (const std::string expected : {"=== Téléchargement ===", "30 %", "Action du script : dialog 130 do click 2",
                                       "--- Attention ! (Attention) ---\nLe téléchargement n'est pas terminé.",
                                       "Réponse du script : Oui", "=== Téléchargement : fermée ==="}) {
        EXPECT_NE(terminal.str().find(expected), std::string::npos) << expected << " not in:\n" << terminal.str();
    }
    EXPECT_EQ(terminal.str().find("Votre choix"), std::string::npos);
}

// Ends in its initialisation, as the download dialog does when a local
// folder holds no update: it takes no line.
class FailingDialog : public DialogModel {
public:
    FailingDialog() : DialogModel(130, "Téléchargement", Ending::ByItself) {}

protected:
    bool OnInitDialog() override {
        KtMessageBox(Handle(), "Le répertoire indiqué ne contient pas de mise à jour !", "Talvo", kStyleInfoOk, 1, 1074);
        EndDialog(kIdCancel);
        return true;
    }
};

// Each run takes the next line; a dialog left waiting is cancelled; a dialog
// that runs or ends by itself needs no line.
TEST_F(ScriptedPresenterTest, EachRunTakesTheNextLineAndADialogLeftWaitingIsCancelled) {
    UseScript("dialog 145: click 1\ndialog 145: close\ndialog 145: escape\ndialog 145: wait 1038 10; sleep 1\n");
    const std::pair<int, Strings> cases[] = {
        {kIdOk, {}}, {kIdCancel, {"close", "cancel"}}, {kIdCancel, {"escape", "cancel"}}, {kIdCancel, {}},
        {kIdCancel, {"escape", "cancel"}},
    };
    for (const auto& [result, hooks] : cases) {
        WaitingDialog dialog;
        EXPECT_EQ(scripted->RunDialog(dialog), result);
        if (!hooks.empty()) {
            EXPECT_EQ(dialog.hooks, hooks);
        }
    }
    FailingDialog failing;
    EXPECT_EQ(scripted->RunDialog(failing), kIdCancel);
    WorkerDialog working;
    EXPECT_EQ(scripted->RunDialog(working), kIdOk);
    const std::string noConnection = "dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\"";
    const Strings shown = Transcript();
    ASSERT_EQ(shown.size(), 27u);
    EXPECT_TRUE(shown[20].starts_with("message id=1074 ")) << "the message comes before the dialog shows";
    EXPECT_EQ(Strings(shown.begin() + 12, shown.end()),
              (Strings{"dialog 145 open caption=\"Talvo\"", "dialog 145 do wait 1038 10", "dialog 145 do sleep 1",
                     noConnection, "dialog 145 end 2 unscripted", "dialog 145 open caption=\"Talvo\"", noConnection,
                     "dialog 145 end 2 unscripted", shown[20], "dialog 130 open caption=\"Téléchargement\"",
                     "dialog 130 end 2", "dialog 130 open caption=\"Téléchargement\"",
                     "dialog 130 text 1028=\"Terminé\"", "dialog 130 text 1061=\"Reçu 100 Ko\"", "dialog 130 end 1"}))
        << "a wait on a label returns at once";
}

// Dialog 131 opens from a button of dialog 102 and takes the next line for
// itself; its edit takes text once the box enables it.
TEST_F(ScriptedPresenterTest, ADialogOpenedByAnotherIsShownInsideItInOrder) {
    UseScript("dialog 102: click 1007; click 1\ndialog 131: text 1009 \"refusé\"; check 1013; text 1009 \"jean\"; click 1\n");
    DialogModel options(131, "Options");
    options.AddPush(1, "Confirmer");
    options.AddCheck(1013, "Authentification");
    options.AddEdit(1009);
    options.Enable(1009, false);
    options.BindClick(1013, [&] { options.Enable(1009, options.IsChecked(1013)); });
    DialogModel main(102, "Mise à jour de Talvo");
    main.AddPush(1, "Commencer");
    main.AddPush(1007, "Options...");
    main.BindClick(1007, [&] { EXPECT_EQ(scripted->RunDialog(options), kIdOk); });
    EXPECT_EQ(scripted->RunDialog(main), kIdOk);
    EXPECT_EQ(Transcript(), (Strings{"dialog 102 open caption=\"Mise à jour de Talvo\"", "dialog 102 do click 1007",
                              "dialog 131 open caption=\"Options\"", "dialog 131 do text 1009 \"refusé\"",
                              "dialog 131 do check 1013", "dialog 131 do text 1009 \"jean\"", "dialog 131 do click 1",
                              "dialog 131 text 1009=\"jean\"", "dialog 131 end 1", "dialog 102 do click 1",
                              "dialog 102 end 1"}));
}

TEST_F(ScriptedPresenterTest, BoxesAnswerAsScriptedOrWithTheAnswerThatChangesLeast) {
    UseScript("buttons \"Mettre\" -> 25\nmessage 1060 -> yes\ncredentials -> \"jean\" \"secret\"\n");
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton3);
    EXPECT_EQ(KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 0, 1060), kIdYes);
    const auto credentials = scripted->AskCredentials("proxy:3128");
    ASSERT_TRUE(credentials.has_value());
    EXPECT_EQ(credentials->password, "secret");
    const std::pair<unsigned, const char*> unscripted[] = {
        {kStyleQuestionYesNo, "no"}, {kStyleWarningRetryCancel, "cancel"}, {0x21, "cancel"}, {0x23, "cancel"},
        {kStyleErrorOk, "ok"},
    };
    // Only five characters are escaped in the transcript; the rest stays UTF-8.
    for (const auto& [style, word] : unscripted) {
        EXPECT_EQ(KtMessageBox(nullptr, "a\\b\"c\nd\re\tf\x01", "« Talvo »", style, 1), ParseAnswer(word)) << style;
    }
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", kStyleQuestionYesNo, ButtonRecord{}, 1, 1021),
              kIdButton2) << "a line answers once";
    EXPECT_FALSE(scripted->AskCredentials("proxy:3128").has_value());
    const auto shown = Transcript();
    ASSERT_EQ(shown.size(), 10u);
    EXPECT_EQ(Strings(shown.begin(), shown.begin() + 3),
              (Strings{"buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 "
                     "buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" text=\"Mettre à jour ?\" -> 25",
                     "message id=1060 caption=\"Talvo\" style=0x24 flag=0 text=\"Installer ?\" -> yes",
                     "credentials target=\"proxy:3128\" -> user=\"jean\""}));
    for (std::size_t i = 0; i < std::size(unscripted); ++i) {
        EXPECT_TRUE(shown[3 + i].ends_with(std::string(" -> ") + unscripted[i].second + " unscripted")) << shown[3 + i];
    }
    EXPECT_EQ(shown[7], "message id=- caption=\"« Talvo »\" style=0x10 flag=1 "
                        "text=\"a\\\\b\\\"c\\nd\\re\\tf\x01\" -> ok unscripted");
    EXPECT_TRUE(shown[8].starts_with("buttons id=1021 ") && shown[8].ends_with(" -> 24 unscripted")) << shown[8];
    EXPECT_EQ(shown[9], "credentials target=\"proxy:3128\" -> cancel unscripted");
}

// A worker, started by the click of 1001, asks its question on the dialog's
// thread while the script waits for its bar; the click of 2 ends the dialog.
class AskingDialog : public DialogModel {
public:
    AskingDialog() : DialogModel(144, "Connexion", Ending::ByItself) {
        AddProgress(1022);
        AddPush(1001, "Composer");
        AddPush(2, "Cancel");
        BindClick(1001, [this] {
            worker_ = std::thread([this] {
                SetPosition(1022, 1);
                asked = CallOnDialogThread(
                    [this] { KtMessageBox(Handle(), "Erreur dans le RAS.", "Talvo", kStyleErrorOk, 1, 1080); });
                SetPosition(1022, 2);
            });
        });
    }
    ~AskingDialog() override { OnDestroy(); }
    std::atomic<bool> asked{false};

protected:
    void OnDestroy() override {
        if (worker_.joinable()) worker_.join();
    }

private:
    std::thread worker_;
};

TEST_F(ScriptedPresenterTest, AWorkersQuestionIsAskedOnTheDialogThreadWhileTheScriptWaits) {
    UseScript("dialog 144: click 1001; wait 1022 2; click 2\nmessage 1080 -> ok\n");
    AskingDialog dialog;
    EXPECT_EQ(scripted->RunDialog(dialog), kIdCancel);
    EXPECT_TRUE(dialog.asked);
    const std::string message = "message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok";
    auto shown = Transcript();
    ASSERT_EQ(shown.size(), 6u);
    // The question may come just before or during the wait, never elsewhere.
    if (shown[2] == message) std::swap(shown[2], shown[3]);
    EXPECT_EQ(shown, (Strings{"dialog 144 open caption=\"Connexion\"", "dialog 144 do click 1001",
                            "dialog 144 do wait 1022 2", message, "dialog 144 do click 2", "dialog 144 end 2"}));
}

}  // namespace
}  // namespace kt::hostsuite
