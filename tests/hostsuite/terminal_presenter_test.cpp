// The terminal presenter with a keyboard played by the test: French
// prompts, answers by number or word, dialogs driven by their numbered
// actions, and safe answers once the input ends.
#include <gtest/gtest.h>

#include <deque>
#include <regex>
#include <sstream>
#include <thread>

#include "hostsuite/terminal_presenter.h"
#include "hostsuite/terminal_text.h"
#include "support/temp_tree.h"
#include "test_dialogs.h"

namespace kt::hostsuite {
namespace {

using platform::ConsoleRead;

// Typed lines, then either the end of the input or a person who types
// nothing more (the reader times out).
struct Keyboard {
    std::deque<std::string> lines;
    bool closesAtEnd = true;

    ConsoleRead operator()(std::string& line, std::chrono::milliseconds) {
        if (!lines.empty()) {
            line = lines.front();
            lines.pop_front();
            return ConsoleRead::Line;
        }
        if (closesAtEnd) return ConsoleRead::Closed;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return ConsoleRead::Timeout;
    }
};

class TerminalPresenterTest : public ::testing::Test {
protected:
    std::shared_ptr<TerminalPresenter> Presenter(std::deque<std::string> lines, bool closesAtEnd = true) {
        keyboard = std::make_shared<Keyboard>(Keyboard{std::move(lines), closesAtEnd});
        auto presenter = std::make_shared<TerminalPresenter>(
            TranscriptWriter::Open(tree / "shown.txt"), out,
            [keyboard = keyboard](std::string& line, std::chrono::milliseconds wait) { return (*keyboard)(line, wait); });
        InstallPresenter(presenter);
        return presenter;
    }
    void TearDown() override { InstallPresenter(nullptr); }

    std::vector<std::string> Shown() const {
        std::vector<std::string> lines;
        std::istringstream text(kt::test::ReadFile(tree / "shown.txt"));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    kt::test::TempTree tree;
    std::ostringstream out;
    std::shared_ptr<Keyboard> keyboard;
};

TEST_F(TerminalPresenterTest, AMessageIsAskedAgainUntilTheAnswerIsUnderstood) {
    Presenter({"peut-être", "2"});
    EXPECT_EQ(KtMessageBox(nullptr, "Installer maintenant ?", "Talvo", kStyleQuestionYesNo, 1, 1060), kIdNo);
    const std::string shown = out.str();
    EXPECT_NE(shown.find("--- Talvo (Question) ---\nInstaller maintenant ?\n  1. Oui\n  2. Non\n"), std::string::npos)
        << shown;
    EXPECT_NE(shown.find("Réponse non comprise."), std::string::npos);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "message id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer maintenant ?\" -> no"}));
}

TEST_F(TerminalPresenterTest, AnswersMayBeTheButtonsWords) {
    Presenter({"OUI", "réessayer"});
    EXPECT_EQ(KtMessageBox(nullptr, "?", "Talvo", kStyleQuestionYesNo, 1), kIdYes);
    EXPECT_EQ(KtMessageBox(nullptr, "?", "Talvo", kStyleWarningRetryCancel, 1), kIdRetry);
}

TEST_F(TerminalPresenterTest, OnceTheInputEndsEveryItemGetsItsSafeAnswer) {
    Presenter({});
    EXPECT_EQ(KtMessageBox(nullptr, "Annuler ?", "Attention !", kStyleWarningYesNo, 1, 1062), kIdNo);
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton2);
    test::WaitingDialog dialog;
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdCancel);
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_NE(shown[0].find("-> no unscripted"), std::string::npos);
    EXPECT_NE(shown[1].find("-> 24 unscripted"), std::string::npos);
    EXPECT_EQ(shown[4], "dialog 145 end 2 unscripted");
}

TEST_F(TerminalPresenterTest, CustomButtonsShowTheirCaptionsWithoutAccelerators) {
    Presenter({"3"});
    EXPECT_EQ(KtMessageBoxButtons(nullptr, "Mettre à jour ?", "Talvo", 0x24, ButtonRecord{}, 1, 1021), kIdButton3);
    EXPECT_NE(out.str().find("  1. Oui\n  2. Non\n  3. Options...\n"), std::string::npos) << out.str();
}

TEST_F(TerminalPresenterTest, CredentialsAreAskedAndAnEmptyNameCancels) {
    auto presenter = Presenter({"jean", "secret", ""});
    const auto given = presenter->AskCredentials("proxy.cabinet:3128");
    ASSERT_TRUE(given.has_value());
    EXPECT_EQ(given->user, "jean");
    EXPECT_EQ(given->password, "secret");
    EXPECT_FALSE(presenter->AskCredentials("proxy.cabinet:3128").has_value());
    EXPECT_FALSE(presenter->AskCredentials("proxy.cabinet:3128").has_value());
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "credentials target=\"proxy.cabinet:3128\" -> user=\"jean\"",
                           "credentials target=\"proxy.cabinet:3128\" -> cancel",
                           "credentials target=\"proxy.cabinet:3128\" -> cancel unscripted",
                       }));
    EXPECT_EQ(kt::test::ReadFile(tree / "shown.txt").find("secret"), std::string::npos);
}

class SourceDialog : public DialogModel {
public:
    SourceDialog() : DialogModel(102, "Mise à jour de Talvo") {
        AddRadio(1000, "Internet");
        AddRadio(1001, "Réseau local");
        AddEdit(1004);
        AddEdit(1010);
        AddCombo(1047);
        AddPush(1, "Commencer");
        AddPush(1020, "Historique");
        SetEditStyle(1010, true, false, false, 0);
        SetText(1010, "secret");
        for (const char* item : {"Quotidien", "Hebdomadaire"}) AddItem(1047, item);
        Enable(1020, false);
    }
};

TEST_F(TerminalPresenterTest, ADialogIsDrivenByItsNumberedActions) {
    Presenter({"2", "3", "/srv/maj", "5", "2", "9", "6"});
    SourceDialog dialog;
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdOk);
    EXPECT_TRUE(dialog.IsChecked(1001));
    EXPECT_EQ(dialog.Text(1004), "/srv/maj");
    EXPECT_EQ(dialog.Selection(1047), 1);

    const std::string shown = out.str();
    EXPECT_NE(shown.find("=== Mise à jour de Talvo === (fenêtre 102)"), std::string::npos);
    EXPECT_NE(shown.find("  1. Choisir « Internet »\n  2. Choisir « Réseau local »\n"
                         "  3. Saisir le texte de la zone 1004\n  4. Saisir le texte de la zone 1010\n"
                         "  5. Choisir dans la liste 1047\n  6. Commencer\n  x. Fermer la fenêtre\n  e. Échap\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("< Historique >  (inactif)"), std::string::npos);
    EXPECT_NE(shown.find("Zone de saisie 1010 : ******"), std::string::npos) << "a password is not shown";
    EXPECT_EQ(shown.find("secret"), std::string::npos);
    EXPECT_NE(shown.find("Choix non disponible."), std::string::npos);

    const auto lines = Shown();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 5),
              (std::vector<std::string>{"dialog 102 do click 1001", "dialog 102 do text 1004 \"/srv/maj\"",
                                        "dialog 102 do select 1047 \"Hebdomadaire\"", "dialog 102 do click 1"}));
    EXPECT_EQ(lines.back(), "dialog 102 end 1");
}

TEST_F(TerminalPresenterTest, TheCloseBoxAndEscapeAreOfferedToo) {
    Presenter({"x"});
    test::WaitingDialog closed;
    EXPECT_EQ(ActivePresenter().RunDialog(closed), kIdCancel);
    EXPECT_EQ(closed.hooks, (std::vector<std::string>{"close", "cancel"}));
    Presenter({"e"});
    test::WaitingDialog escaped;
    EXPECT_EQ(ActivePresenter().RunDialog(escaped), kIdCancel);
    EXPECT_EQ(escaped.hooks, (std::vector<std::string>{"escape", "cancel"}));
}

TEST_F(TerminalPresenterTest, AWorkingDialogEndsByItselfWhileNobodyTypes) {
    Presenter({}, false);
    test::WorkerDialog dialog;
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdOk);
    EXPECT_TRUE(std::regex_search(out.str(), std::regex("\\n  \\[[#-]{20}\\] +[0-9]+ %\\n"))) << out.str();
    EXPECT_EQ(Shown().back(), "dialog 130 end 1");
}

TEST_F(TerminalPresenterTest, CancellingAWorkingDialogAsksFirst) {
    Presenter({"1", "oui"}, false);
    test::WorkerDialog dialog(95);
    EXPECT_EQ(ActivePresenter().RunDialog(dialog), kIdCancel);
    EXPECT_LT(dialog.Position(1022), 100);
    const auto lines = Shown();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "dialog 130 do click 2");
    EXPECT_NE(lines[2].find("message id=1062 "), std::string::npos);
    EXPECT_NE(lines[2].find("-> yes"), std::string::npos);
    EXPECT_EQ(lines.back(), "dialog 130 end 2");
}

TEST(TerminalText, ProgressBarsShowTheirShareOfTheRange) {
    Control bar;
    bar.kind = ControlKind::Progress;
    bar.rangeLow = 0;
    bar.rangeHigh = 200;
    bar.position = 100;
    EXPECT_EQ(ProgressText(bar), "[##########----------]  50 %");
    bar.position = 200;
    EXPECT_EQ(ProgressText(bar), "[####################] 100 %");
    bar.rangeHigh = 0;
    bar.position = 0;
    EXPECT_EQ(ProgressText(bar), "[--------------------]   0 %") << "an empty range is not a division by zero";
}

TEST(TerminalText, ControlsReadAsOneLineEach) {
    Control check;
    check.kind = ControlKind::Check;
    check.text = "Récupérer";
    check.description = "pour les autres postes";
    check.checked = true;
    EXPECT_EQ(ControlLine(check), "[x] Récupérer\n      pour les autres postes");
    Control label;
    label.kind = ControlKind::Label;
    label.text = "Le téléchargement\r\nest terminé";
    EXPECT_EQ(ControlLine(label), "Le téléchargement est terminé");
    label.visible = false;
    EXPECT_EQ(ControlLine(label), "");
    Control list;
    list.kind = ControlKind::List;
    list.id = 1020;
    list.multiSelect = true;
    list.items = {{{"Sesam", "1.2.2024"}, 0, true}, {{"Talvo 5.2 (3)", "2.2.2024"}, 1, false}};
    EXPECT_EQ(ControlLine(list), "Liste 1020 :\n      > Sesam | 1.2.2024\n        Talvo 5.2 (3) | 2.2.2024");
}

TEST(TerminalText, MessageStylesOfferTheirButtonsInFrench) {
    const auto labels = [](unsigned style) {
        std::string all;
        for (const Choice& choice : MessageChoices(style)) all += choice.label + "=" + std::to_string(choice.code) + " ";
        return all;
    };
    EXPECT_EQ(labels(0x10), "OK=1 ");
    EXPECT_EQ(labels(0x34), "Oui=6 Non=7 ");
    EXPECT_EQ(labels(0x35), "Réessayer=4 Annuler=2 ");
    EXPECT_EQ(labels(0x23), "Oui=6 Non=7 Annuler=2 ");
    EXPECT_EQ(IconName(0x35), "Attention");
    EXPECT_EQ(IconName(0x04), "");
    const auto custom = CustomChoices("&Oui\r\n&Non");
    ASSERT_EQ(custom.size(), 2u);
    EXPECT_EQ(custom[1].label, "Non");
    EXPECT_EQ(custom[1].code, kIdButton2);
}

}  // namespace
}  // namespace kt::hostsuite
