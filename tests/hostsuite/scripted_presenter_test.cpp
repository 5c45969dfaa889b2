// The scripted presenter: items answered from a script, or given their safe
// answer, and every item written to the transcript in the order shown.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <variant>

#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "support/temp_tree.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using test::WaitingDialog;
using test::WorkerDialog;

class ScriptedPresenterTest : public ::testing::Test {
protected:
    void Use(const std::string& script) {
        auto parsed = ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<Script>(parsed));
        presenter = std::make_shared<ScriptedPresenter>(std::get<Script>(std::move(parsed)),
                                                        TranscriptWriter::Open(tree / "shown.txt"));
        InstallPresenter(presenter);
    }
    void TearDown() override { InstallPresenter(nullptr); }

    std::vector<std::string> Shown() const {
        std::vector<std::string> lines;
        std::istringstream text(kt::test::ReadFile(tree / "shown.txt"));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    kt::test::TempTree tree;
    std::shared_ptr<ScriptedPresenter> presenter;
};

TEST_F(ScriptedPresenterTest, AWorkerMovesTheBarWhileTheScriptWaitsAndTheDialogEndsWithItsPost) {
    Use("dialog 130: wait 1022 40; sleep 5\n");
    WorkerDialog dialog;
    EXPECT_EQ(presenter->RunDialog(dialog), kIdOk);
    EXPECT_EQ(dialog.Position(1022), 100);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "dialog 130 open caption=\"Téléchargement\"",
                           "dialog 130 do wait 1022 40",
                           "dialog 130 do sleep 5",
                           "dialog 130 text 1028=\"Terminé\"",
                           "dialog 130 text 1061=\"Reçu 100 Ko\"",
                           "dialog 130 end 1",
                       }));
}

TEST_F(ScriptedPresenterTest, CancellingAfterTheWaitStopsTheWorkerWhereTheScriptSaw) {
    Use("dialog 130: wait 1022 60; click 2\nmessage 1062 -> yes\n");
    WorkerDialog dialog(60);
    EXPECT_EQ(presenter->RunDialog(dialog), kIdCancel);
    EXPECT_EQ(dialog.Position(1022), 60);
    EXPECT_FALSE(dialog.IsEnabled(2));
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "dialog 130 open caption=\"Téléchargement\"",
                           "dialog 130 do wait 1022 60",
                           "dialog 130 do click 2",
                           "message id=1062 caption=\"Attention !\" style=0x34 flag=1 "
                           "text=\"Le téléchargement n'est pas terminé.\" -> yes",
                           "dialog 130 text 1028=\"Fin de l'opération en cours...\"",
                           "dialog 130 text 1061=\"Reçu 60 Ko\"",
                           "dialog 130 end 2",
                       }));
}

TEST_F(ScriptedPresenterTest, ACancelAnsweredNoLetsTheWorkFinish) {
    Use("dialog 130: wait 1022 30; click 2\nmessage 1062 -> no\n");
    WorkerDialog dialog(30, std::chrono::milliseconds(200));
    EXPECT_EQ(presenter->RunDialog(dialog), kIdOk);
    EXPECT_EQ(dialog.cancelQuestions, 1);
    EXPECT_TRUE(dialog.IsEnabled(2));
    EXPECT_EQ(Shown().back(), "dialog 130 end 1");
}

TEST_F(ScriptedPresenterTest, ADialogThatRunsByItselfEndsOnItsOwnWithoutAScriptLine) {
    Use("");
    WorkerDialog dialog;
    EXPECT_EQ(presenter->RunDialog(dialog), kIdOk);
    EXPECT_EQ(Shown().back(), "dialog 130 end 1");
}

TEST_F(ScriptedPresenterTest, ADialogWaitingForTheUserGetsCancelWhenNoLineAnswersIt) {
    Use("dialog 102: click 1\n");
    WaitingDialog dialog;
    EXPECT_EQ(presenter->RunDialog(dialog), kIdCancel);
    EXPECT_EQ(dialog.hooks, (std::vector<std::string>{"cancel"}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "dialog 145 open caption=\"Talvo\"",
                           "dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\"",
                           "dialog 145 end 2 unscripted",
                       }));
}

TEST_F(ScriptedPresenterTest, ADialogLeftOpenWhenItsActionsRunOutIsCancelledToo) {
    Use("dialog 145: wait 1038 10; sleep 1\n");
    WaitingDialog dialog;
    EXPECT_EQ(presenter->RunDialog(dialog), kIdCancel);
    const auto shown = Shown();
    EXPECT_EQ(shown[1], "dialog 145 do wait 1038 10") << "a wait on a label returns at once";
    EXPECT_EQ(shown.back(), "dialog 145 end 2 unscripted");
}

TEST_F(ScriptedPresenterTest, EachRunOfADialogTakesTheNextLineForIt) {
    Use("dialog 145: click 1\ndialog 145: close\ndialog 145: escape\n");
    WaitingDialog first, second, third, fourth;
    EXPECT_EQ(presenter->RunDialog(first), kIdOk);
    EXPECT_EQ(presenter->RunDialog(second), kIdCancel);
    EXPECT_EQ(second.hooks, (std::vector<std::string>{"close", "cancel"}));
    EXPECT_EQ(presenter->RunDialog(third), kIdCancel);
    EXPECT_EQ(third.hooks, (std::vector<std::string>{"escape", "cancel"}));
    EXPECT_EQ(presenter->RunDialog(fourth), kIdCancel);
    EXPECT_EQ(Shown().back(), "dialog 145 end 2 unscripted");
}

// Dialog 102 opens dialog 131 from its "Options..." button.
class OptionsDialog : public DialogModel {
public:
    OptionsDialog() : DialogModel(131, "Options") {
        AddPush(1, "Confirmer");
        AddPush(2, "Annuler");
        AddCheck(1013, "Le serveur proxy requiert une authentification");
        AddLabel(1049, "Serveur Proxy");
        AddEdit(1008);
        AddEdit(1009);
        AddCombo(1047);
        AddCombo(1018);
        BindClick(1013, [this] { Enable(1009, IsChecked(1013)); });
        BindSelectionChange(1047, [this](int item) {
            ClearItems(1018);
            for (const char* day : {"Dimanche", "Lundi"}) AddItem(1018, day);
            SetSelection(1018, item);
        });
    }

protected:
    bool OnInitDialog() override {
        Enable(1009, false);
        for (const char* frequency : {"Quotidien", "Hebdomadaire", "Mensuel"}) AddItem(1047, frequency);
        return true;
    }
};

class MainDialog : public DialogModel {
public:
    explicit MainDialog(Presenter& presenter) : DialogModel(102, "Mise à jour de Talvo") {
        AddPush(1, "Commencer");
        AddPush(1007, "Options...");
        BindClick(1007, [this, &presenter] {
            OptionsDialog options;
            optionsResult = presenter.RunDialog(options);
            proxy = options.Text(1008);
            login = options.Text(1009);
            day = options.Selection(1018);
        });
    }
    int optionsResult = 0;
    int day = -1;
    std::string proxy;
    std::string login;
};

TEST_F(ScriptedPresenterTest, ADialogOpenedByAnotherIsShownInsideItInOrder) {
    Use("dialog 102: click 1007; click 1\n"
        "dialog 131: text 1009 \"refusé\"; check 1013; text 1008 \"proxy.cabinet\"; text 1009 \"jean\";"
        " select 1047 \"Hebdomadaire\"; click 1\n");
    MainDialog dialog(*presenter);
    EXPECT_EQ(presenter->RunDialog(dialog), kIdOk);
    EXPECT_EQ(dialog.optionsResult, kIdOk);
    EXPECT_EQ(dialog.proxy, "proxy.cabinet");
    EXPECT_EQ(dialog.login, "jean") << "the login edit takes text only once the box enables it";
    EXPECT_EQ(dialog.day, 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "dialog 102 open caption=\"Mise à jour de Talvo\"",
                           "dialog 102 do click 1007",
                           "dialog 131 open caption=\"Options\"",
                           "dialog 131 do text 1009 \"refusé\"",
                           "dialog 131 do check 1013",
                           "dialog 131 do text 1008 \"proxy.cabinet\"",
                           "dialog 131 do text 1009 \"jean\"",
                           "dialog 131 do select 1047 \"Hebdomadaire\"",
                           "dialog 131 do click 1",
                           "dialog 131 text 1008=\"proxy.cabinet\"",
                           "dialog 131 text 1009=\"jean\"",
                           "dialog 131 text 1049=\"Serveur Proxy\"",
                           "dialog 131 end 1",
                           "dialog 102 do click 1",
                           "dialog 102 end 1",
                       }));
}

// Ends in its initialisation, as the download dialog does when a local
// folder holds no update.
class FailingDialog : public DialogModel {
public:
    FailingDialog() : DialogModel(130, "Téléchargement") {}

protected:
    bool OnInitDialog() override {
        KtMessageBox(Handle(), "Le répertoire indiqué ne contient pas de mise à jour !", "Talvo", kStyleInfoOk, 1, 1074);
        EndDialog(kIdCancel);
        return true;
    }
};

TEST_F(ScriptedPresenterTest, ADialogEndingInItsInitialisationLeavesItsLineForTheNextOne) {
    Use("dialog 130: wait 1022 100\n");
    FailingDialog failing;
    EXPECT_EQ(presenter->RunDialog(failing), kIdCancel);
    WorkerDialog working;
    EXPECT_EQ(presenter->RunDialog(working), kIdOk);
    const auto shown = Shown();
    ASSERT_GE(shown.size(), 5u);
    EXPECT_EQ(shown[0].rfind("message id=1074 ", 0), 0u) << "the message comes before the dialog shows";
    EXPECT_EQ(shown[1], "dialog 130 open caption=\"Téléchargement\"");
    EXPECT_EQ(shown[2], "dialog 130 end 2");
    EXPECT_EQ(shown[4], "dialog 130 do wait 1022 100");
}

TEST_F(ScriptedPresenterTest, UnansweredBoxesGetTheAnswerThatChangesLeast) {
    Use("");
    struct Case {
        unsigned style;
        int answer;
        const char* word;
    };
    const Case cases[] = {
        {kStyleQuestionYesNo, kIdNo, "no"},     {kStyleErrorYesNo, kIdNo, "no"},
        {kStyleWarningRetryCancel, kIdCancel, "cancel"}, {0x21, kIdCancel, "cancel"},
        {0x23, kIdCancel, "cancel"},            {kStyleErrorOk, kIdOk, "ok"},
        {kStyleInfoOk, kIdOk, "ok"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KtMessageBox(nullptr, "texte", "Talvo", c.style, 1), c.answer) << std::hex << c.style;
    }
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", kStyleQuestionYesNo, ButtonRecord{}, 1, 1021),
              kIdButton2);
    EXPECT_FALSE(presenter->AskCredentials("proxy:3128").has_value());
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), std::size(cases) + 2);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string end = std::string(" -> ") + cases[i].word + " unscripted";
        EXPECT_EQ(shown[i].substr(shown[i].size() - end.size()), end) << shown[i];
    }
    EXPECT_NE(shown[7].find("buttons id=1021 "), std::string::npos);
    EXPECT_NE(shown[7].find(" -> 24 unscripted"), std::string::npos);
    EXPECT_EQ(shown[8], "credentials target=\"proxy:3128\" -> cancel unscripted");
}

TEST_F(ScriptedPresenterTest, ScriptedBoxesAnswerAsWrittenAndSayWhatWasAnswered) {
    Use("buttons \"Mettre\" -> 25\nmessage 1060 -> yes\ncredentials -> \"jean\" \"secret\"\n");
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton3);
    EXPECT_EQ(KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 0, 1060), kIdYes);
    const auto credentials = presenter->AskCredentials("proxy:3128");
    ASSERT_TRUE(credentials.has_value());
    EXPECT_EQ(credentials->password, "secret");
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 "
                           "buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" text=\"Mettre à jour ?\" -> 25",
                           "message id=1060 caption=\"Talvo\" style=0x24 flag=0 text=\"Installer ?\" -> yes",
                           "credentials target=\"proxy:3128\" -> user=\"jean\"",
                       }));
}

// A worker that asks its question on the dialog's thread between two clicks
// of the script: it starts on the click of 1001 and ends after the click of 2.
class AskingDialog : public DialogModel {
public:
    AskingDialog() : DialogModel(144, "Connexion") {
        AddProgress(1022);
        AddPush(1001, "Composer");
        AddPush(2, "Cancel");
        BindClick(1001, [this] { started_ = true; });
        BindClick(2, [this] { stopped_ = true; });
    }
    ~AskingDialog() override { Join(); }
    bool asked = false;

protected:
    bool OnInitDialog() override {
        worker_ = std::thread([this] {
            WaitFor(started_);
            SetPosition(1022, 1);
            asked = CallOnDialogThread(
                [this] { KtMessageBox(Handle(), "Erreur dans le RAS.", "Talvo", kStyleErrorOk, 1, 1080); });
            SetPosition(1022, 2);
            WaitFor(stopped_);
            PostCommand(kIdCancel);
        });
        return true;
    }
    void OnDestroy() override { Join(); }

private:
    static void WaitFor(const std::atomic<bool>& flag) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!flag && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Join() {
        if (worker_.joinable()) worker_.join();
    }
    std::atomic<bool> started_{false};
    std::atomic<bool> stopped_{false};
    std::thread worker_;
};

TEST_F(ScriptedPresenterTest, AWorkersQuestionIsAskedOnTheDialogThreadWhileTheScriptWaits) {
    Use("dialog 144: click 1001; wait 1022 2; click 2\nmessage 1080 -> ok\n");
    AskingDialog dialog;
    EXPECT_EQ(presenter->RunDialog(dialog), kIdCancel);
    EXPECT_TRUE(dialog.asked);
    const std::string message =
        "message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok";
    const std::string wait = "dialog 144 do wait 1022 2";
    auto shown = Shown();
    ASSERT_EQ(shown.size(), 6u);
    // The question may come just before or during the wait, never elsewhere.
    if (shown[2] == message) std::swap(shown[2], shown[3]);
    EXPECT_EQ(shown, (std::vector<std::string>{"dialog 144 open caption=\"Connexion\"", "dialog 144 do click 1001",
                                               wait, message, "dialog 144 do click 2", "dialog 144 end 2"}));
}

}  // namespace
}  // namespace kt::hostsuite
