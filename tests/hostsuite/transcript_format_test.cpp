// The transcript's lines, as the end-to-end tests read them.
#include <gtest/gtest.h>

#include "hostsuite/dialog_model.h"
#include "hostsuite/transcript_format.h"

namespace kt::hostsuite {
namespace {

TEST(TranscriptFormat, QuotesEscapeTheFiveSpecialCharactersAndKeepUtf8) {
    EXPECT_EQ(QuoteText("a\\b\"c\nd\re\tf"), "\"a\\\\b\\\"c\\nd\\re\\tf\"");
    EXPECT_EQ(QuoteText("Mise à jour « Talvo »"), "\"Mise à jour « Talvo »\"");
    EXPECT_EQ(QuoteText(std::string("x\x01y", 3)), std::string("\"x\x01y\"", 5));
    EXPECT_EQ(QuoteText(""), "\"\"");
}

TEST(TranscriptFormat, MessageLineCarriesEveryFieldAndTheAnswerWord) {
    MessageRequest request;
    request.stringId = 1062;
    request.caption = "Attention !";
    request.style = 0x34;
    request.flag = 1;
    request.text = "Le téléchargement n'est pas terminé.\r\n\r\nVoulez-vous annuler la mise à jour ?";
    EXPECT_EQ(MessageLine(request, kIdYes, false),
              "message id=1062 caption=\"Attention !\" style=0x34 flag=1 "
              "text=\"Le téléchargement n'est pas terminé.\\r\\n\\r\\nVoulez-vous annuler la mise à jour ?\" -> yes");

    request.stringId = kLiteralText;
    request.style = 0x10;
    request.flag = 0;
    request.text = "Erreur";
    EXPECT_EQ(MessageLine(request, kIdOk, true),
              "message id=- caption=\"Attention !\" style=0x10 flag=0 text=\"Erreur\" -> ok unscripted");
}

TEST(TranscriptFormat, AnswersOutsideTheKnownCodesAreWrittenAsNumbers) {
    EXPECT_EQ(AnswerName(kIdOk), "ok");
    EXPECT_EQ(AnswerName(kIdCancel), "cancel");
    EXPECT_EQ(AnswerName(kIdRetry), "retry");
    EXPECT_EQ(AnswerName(kIdNo), "no");
    EXPECT_EQ(AnswerName(3), "3");
    EXPECT_EQ(AnswerName(0), "0");
}

TEST(TranscriptFormat, ButtonsLineShowsTheCaptionsEscaped) {
    ButtonsRequest request;
    request.stringId = 1021;
    request.caption = "Talvo";
    request.style = 0x24;
    request.buttons = "&Oui\r\n&Non\r\n&Options...";
    request.text = "Mettre à jour ?";
    EXPECT_EQ(ButtonsLine(request, kIdButton2, true),
              "buttons id=1021 caption=\"Talvo\" style=0x24 flag=1 buttons=\"&Oui\\r\\n&Non\\r\\n&Options...\" "
              "text=\"Mettre à jour ?\" -> 24 unscripted");
}

TEST(TranscriptFormat, CredentialsLineNeverHoldsThePassword) {
    const std::string given = CredentialsLine("proxy.cabinet:3128", Credentials{"jean", "motdepasse"}, false);
    EXPECT_EQ(given, "credentials target=\"proxy.cabinet:3128\" -> user=\"jean\"");
    EXPECT_EQ(given.find("motdepasse"), std::string::npos);
    EXPECT_EQ(CredentialsLine("p", std::nullopt, true), "credentials target=\"p\" -> cancel unscripted");
}

TEST(TranscriptFormat, DialogLinesNameTheDialogAndWriteActionsAsAScriptWould) {
    EXPECT_EQ(DialogOpenLine(102, "Mise à jour de Talvo"), "dialog 102 open caption=\"Mise à jour de Talvo\"");
    DialogAction text{ActionKind::Text, 1004, "/srv/\"maj\"", 0};
    EXPECT_EQ(DialogActionLine(102, text), "dialog 102 do text 1004 \"/srv/\\\"maj\\\"\"");
    EXPECT_EQ(DialogActionLine(130, DialogAction{ActionKind::Wait, 1024, {}, 50}), "dialog 130 do wait 1024 50");
    EXPECT_EQ(DialogActionLine(130, DialogAction{ActionKind::Sleep, 0, {}, 20}), "dialog 130 do sleep 20");
    EXPECT_EQ(DialogActionLine(131, DialogAction{ActionKind::Uncheck, 1013, {}, 0}), "dialog 131 do uncheck 1013");
    EXPECT_EQ(DialogActionLine(131, DialogAction{ActionKind::Select, 1047, "Mensuel", 0}),
              "dialog 131 do select 1047 \"Mensuel\"");
    EXPECT_EQ(DialogActionLine(145, DialogAction{ActionKind::Escape, 0, {}, 0}), "dialog 145 do escape");
    EXPECT_EQ(DialogActionLine(145, DialogAction{ActionKind::Close, 0, {}, 0}), "dialog 145 do close");
    EXPECT_EQ(DialogEndLine(145, 2, true), "dialog 145 end 2 unscripted");
    EXPECT_EQ(DialogEndLine(130, 1, false), "dialog 130 end 1");
}

TEST(TranscriptFormat, TextLinesListLabelsAndEditsWithTextByIdentifier) {
    DialogModel dialog(130, "Téléchargement");
    dialog.AddLabel(1061, "Connexion au serveur...");
    dialog.AddLabel(1028, "Temps restant : 5 sec");
    dialog.AddLabel(1060);
    dialog.AddEdit(1004, "dossier\tavec tab");
    dialog.AddEdit(1009);
    dialog.AddPush(2, "Annuler");
    dialog.AddGroup(1098, "Options");
    dialog.AddProgress(1022);
    dialog.AddCheck(1006, "Récupérer");
    dialog.Show(1028, false);
    EXPECT_EQ(DialogTextLines(dialog), (std::vector<std::string>{
                                           "dialog 130 text 1004=\"dossier\\tavec tab\"",
                                           "dialog 130 text 1028=\"Temps restant : 5 sec\"",
                                           "dialog 130 text 1061=\"Connexion au serveur...\"",
                                       }));
}

}  // namespace
}  // namespace kt::hostsuite
