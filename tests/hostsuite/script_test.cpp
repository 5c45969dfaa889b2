// Which script line answers an item: the first unused one that matches,
// except reusable lines, which answer as often as asked.
#include <gtest/gtest.h>

#include <variant>

#include "hostsuite/script_parser.h"

namespace kt::hostsuite {
namespace {

Script Parsed(const std::string& text) {
    auto parsed = ParseScript(text);
    EXPECT_TRUE(std::holds_alternative<Script>(parsed));
    return std::holds_alternative<Script>(parsed) ? std::get<Script>(std::move(parsed)) : Script();
}

int AnswerTo(Script& script, int id, const std::string& text) {
    const ScriptLine* line = script.TakeMessage(id, text);
    return line == nullptr ? -1 : line->answer;
}

TEST(Script, EachLineAnswersOnceInTheOrderWritten) {
    Script script = Parsed("message 1060 -> no\nmessage 1060 -> yes\n");
    EXPECT_EQ(AnswerTo(script, 1060, "Installer ?"), kIdNo);
    EXPECT_EQ(AnswerTo(script, 1060, "Installer ?"), kIdYes);
    EXPECT_EQ(AnswerTo(script, 1060, "Installer ?"), -1);
}

TEST(Script, AReusableLineAnswersEveryTimeAndLetsLaterLinesWait) {
    Script script = Parsed("message 1062 -> yes *\nmessage 1062 -> no\n");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(AnswerTo(script, 1062, "Annuler ?"), kIdYes);
}

TEST(Script, AUsedLineLetsTheNextMatchingOneAnswer) {
    Script script = Parsed("message \"Le t\" -> retry\nmessage 1022 -> cancel\nmessage \"Le\" -> ok\n");
    EXPECT_EQ(AnswerTo(script, kLiteralText, "Le téléchargement a échoué"), kIdRetry);
    EXPECT_EQ(AnswerTo(script, 1022, "Un des fichiers"), kIdCancel);
    EXPECT_EQ(AnswerTo(script, 1097, "Le téléchargement"), kIdOk);
    EXPECT_EQ(AnswerTo(script, 1097, "Le téléchargement"), -1);
}

TEST(Script, PrefixesMatchTheBeginningOfTheTextOnly) {
    Script script = Parsed("message \"chargement\" -> yes\nmessage \"Le chemin des données\" -> ok\n");
    EXPECT_EQ(AnswerTo(script, 1098, "Le chemin de l'application est incorrect."), -1);
    EXPECT_EQ(AnswerTo(script, 1100, "Le chemin des données est incorrect."), kIdOk);
    EXPECT_EQ(AnswerTo(script, 1, "Téléchargement"), -1);
}

TEST(Script, AnIdentifierLineNeverAnswersALiteralText) {
    Script script = Parsed("message 1074 -> ok\n");
    EXPECT_EQ(AnswerTo(script, kLiteralText, "1074"), -1);
    EXPECT_EQ(AnswerTo(script, 1074, "Le répertoire indiqué ne contient pas de mise à jour !"), kIdOk);
}

TEST(Script, KindsOfItemsDoNotAnswerForEachOther) {
    Script script = Parsed("buttons 1021 -> 25\ndialog 145: click 1\ncredentials -> cancel\n");
    EXPECT_EQ(script.TakeMessage(1021, "x"), nullptr);
    EXPECT_EQ(script.TakeDialog(102), nullptr);
    const ScriptLine* dialog = script.TakeDialog(145);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->actions.size(), 1u);
    const ScriptLine* buttons = script.TakeButtons(1021, "x");
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->answer, kIdButton3);
    ASSERT_NE(script.TakeCredentials(), nullptr);
    EXPECT_EQ(script.TakeCredentials(), nullptr);
}

}  // namespace
}  // namespace kt::hostsuite
