// Reading scripts of answers: every line form, and the lines refused with
// the number of the line at fault.
#include <gtest/gtest.h>

#include <variant>

#include "hostsuite/script_parser.h"

namespace kt::hostsuite {
namespace {

Script Parsed(const std::string& text) {
    auto parsed = ParseScript(text);
    if (auto* error = std::get_if<ScriptError>(&parsed)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->message;
        return Script();
    }
    return std::get<Script>(std::move(parsed));
}

ScriptError Refused(const std::string& text) {
    auto parsed = ParseScript(text);
    if (auto* error = std::get_if<ScriptError>(&parsed)) return *error;
    ADD_FAILURE() << "accepted: " << text;
    return {};
}

TEST(ScriptParser, ReadsMessagesButtonsAndCredentials) {
    const Script script = Parsed(
        "# answers\r\n"
        "\n"
        "buttons 1021 -> 23\r\n"
        "  message 1060 -> yes\n"
        "message \"Une \\\"erreur\\\"\\n\\tsuite\\\\\" -> Cancel *\n"
        "message 1019 -> 4\n"
        "buttons \"Voulez\" -> 25\n"
        "credentials -> \"jean\" \"s3 cr;et:\"\n"
        "credentials -> cancel\n");
    const auto& lines = script.Lines();
    ASSERT_EQ(lines.size(), 7u);

    EXPECT_EQ(lines[0].item, ScriptItem::Buttons);
    EXPECT_EQ(lines[0].lineNumber, 3);
    EXPECT_EQ(lines[0].id, 1021);
    EXPECT_EQ(lines[0].answer, kIdButton1);

    EXPECT_EQ(lines[1].item, ScriptItem::Message);
    EXPECT_EQ(lines[1].answer, kIdYes);
    EXPECT_FALSE(lines[1].reusable);

    EXPECT_FALSE(lines[2].id.has_value());
    EXPECT_EQ(lines[2].prefix, "Une \"erreur\"\n\tsuite\\");
    EXPECT_EQ(lines[2].answer, kIdCancel);
    EXPECT_TRUE(lines[2].reusable);

    EXPECT_EQ(lines[3].answer, 4);
    EXPECT_EQ(lines[4].prefix, "Voulez");
    EXPECT_EQ(lines[4].answer, kIdButton3);

    ASSERT_TRUE(lines[5].credentials.has_value());
    EXPECT_EQ(lines[5].credentials->user, "jean");
    EXPECT_EQ(lines[5].credentials->password, "s3 cr;et:");
    EXPECT_EQ(lines[6].item, ScriptItem::Credentials);
    EXPECT_FALSE(lines[6].credentials.has_value());
}

TEST(ScriptParser, ReadsEveryDialogAction) {
    const Script script = Parsed(
        "dialog 102: click 1000; check 1006; uncheck 1006; text 1004 \"/srv/maj; partagé\"; "
        "select 1047 \"Mensuel\"; wait 1024 100; sleep 250; close; escape\n"
        "dialog 145 : ; click 1 ; *\n"
        "dialog 131:\n");
    const auto& lines = script.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].item, ScriptItem::Dialog);
    EXPECT_EQ(lines[0].id, 102);
    const auto& actions = lines[0].actions;
    ASSERT_EQ(actions.size(), 9u);
    EXPECT_EQ(actions[0].kind, ActionKind::Click);
    EXPECT_EQ(actions[0].control, 1000);
    EXPECT_EQ(actions[1].kind, ActionKind::Check);
    EXPECT_EQ(actions[2].kind, ActionKind::Uncheck);
    EXPECT_EQ(actions[3].kind, ActionKind::Text);
    EXPECT_EQ(actions[3].control, 1004);
    EXPECT_EQ(actions[3].value, "/srv/maj; partagé");
    EXPECT_EQ(actions[4].kind, ActionKind::Select);
    EXPECT_EQ(actions[4].value, "Mensuel");
    EXPECT_EQ(actions[5].kind, ActionKind::Wait);
    EXPECT_EQ(actions[5].control, 1024);
    EXPECT_EQ(actions[5].number, 100);
    EXPECT_EQ(actions[6].kind, ActionKind::Sleep);
    EXPECT_EQ(actions[6].number, 250);
    EXPECT_EQ(actions[7].kind, ActionKind::Close);
    EXPECT_EQ(actions[8].kind, ActionKind::Escape);

    EXPECT_TRUE(lines[1].reusable);
    ASSERT_EQ(lines[1].actions.size(), 1u);
    EXPECT_EQ(lines[1].actions[0].control, 1);
    EXPECT_TRUE(lines[2].actions.empty());
}

TEST(ScriptParser, AStarInsideQuotesDoesNotMakeALineReusable) {
    const Script script = Parsed("message \"Attention *\" -> ok\ndialog 135: text 1030 \"*\"\n");
    EXPECT_FALSE(script.Lines()[0].reusable);
    EXPECT_EQ(script.Lines()[0].prefix, "Attention *");
    EXPECT_FALSE(script.Lines()[1].reusable);
}

TEST(ScriptParser, RefusesMalformedLinesWithTheirNumber) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"message 1060 -> yes\nmesage 1060 -> yes\n", 2},
        {"message 1060 -> peut-être\n", 1},
        {"message 1060 yes\n", 1},
        {"message -> yes\n", 1},
        {"buttons 1021 -> 26\n", 1},
        {"buttons 1021 -> yes\n", 1},
        {"\n\nmessage \"non fermé -> yes\n", 3},
        {"message \"C:\\maj\" -> ok\n", 1},
        {"credentials -> \"jean\"\n", 1},
        {"credentials -> maybe\n", 1},
        {"dialog 102 click 1\n", 1},
        {"dialog 102: clic 1\n", 1},
        {"dialog 102: click 1 click 2\n", 1},
        {"dialog 102: text 1004 sansguillemets\n", 1},
        {"dialog 102: wait 1024\n", 1},
        {"dialog 102: sleep -5\n", 1},
        {"dialog abc: close\n", 1},
        {"message 1060 -> yes extra\n", 1},
    };
    for (const Case& c : cases) {
        const ScriptError error = Refused(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_FALSE(error.message.empty()) << c.text;
    }
}

TEST(ScriptParser, ReadsAnswerWordsAndNumbers) {
    EXPECT_EQ(ParseAnswer("ok"), kIdOk);
    EXPECT_EQ(ParseAnswer("CANCEL"), kIdCancel);
    EXPECT_EQ(ParseAnswer("retry"), kIdRetry);
    EXPECT_EQ(ParseAnswer("yes"), kIdYes);
    EXPECT_EQ(ParseAnswer("no"), kIdNo);
    EXPECT_EQ(ParseAnswer("3"), 3);
    EXPECT_FALSE(ParseAnswer("oui").has_value());
    EXPECT_FALSE(ParseAnswer("6x").has_value());
}

TEST(ScriptParser, AnUnreadableFileIsReportedWithoutALineNumber) {
    auto loaded = LoadScript("/nonexistent/answers.txt");
    ASSERT_TRUE(std::holds_alternative<ScriptError>(loaded));
    EXPECT_EQ(std::get<ScriptError>(loaded).line, 0);
}

}  // namespace
}  // namespace kt::hostsuite
