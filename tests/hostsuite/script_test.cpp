// Scripts of answers: every line form read back, malformed lines refused with
// their number, and which line answers an item.
#include <gtest/gtest.h>

#include <variant>

#include "hostsuite/script_parser.h"
#include "hostsuite/transcript_format.h"

namespace kt::hostsuite {
namespace {

Script Parsed(const std::string& text) {
    auto parsed = ParseScript(text);
    if (auto* error = std::get_if<ScriptError>(&parsed)) ADD_FAILURE() << "line " << error->line << ": " << error->message;
    return std::holds_alternative<Script>(parsed) ? std::get<Script>(std::move(parsed)) : Script();
}

// Every line form read back; a transcript writes dialog actions as a script
// would, so writing a line's actions back gives the script's text.
TEST(ScriptParser, ReadsEveryLineForm) {
    const Script script = Parsed(
        "# answers\r\n\nbuttons 1021 -> 23\r\n  message 1060 -> yes\n"
        "message \"Une \\\"erreur\\\"\\n\\tsuite\\\\\" -> Cancel *\nbuttons \"Voulez *\" -> 25\n"
        "credentials -> \"jean\" \"s3 cr;et:\"\ncredentials -> cancel\nfolder -> \"/srv/maj partagée\" *\nfolder -> Cancel\n"
        "dialog 102: click 1000; check 1006; uncheck 1006; text 1004 \"/srv/\\\"maj\\\"; partagé\"; "
        "select 1047 \"Mensuel\"; add 1020 \"a\\tb\"; deselect 1020 \"a\\tb\"; wait 1024 100; sleep 250; close; escape\n"
        "dialog 145 : ; click 1 ; *\ndialog 135: text 1030 \" *\"\n");
    const char* const items[] = {"message", "buttons", "credentials", "folder", "dialog"};
    std::vector<std::string> lines, written;
    for (const ScriptLine& line : script.Lines()) {
        std::string text = std::to_string(line.lineNumber) + " " + items[static_cast<int>(line.item)];
        if (line.id) text.append(" ").append(std::to_string(*line.id));
        if (line.prefix) text += " [" + *line.prefix + "]";
        if (line.credentials) text += " " + line.credentials->user + "|" + line.credentials->password;
        if (line.folder) text += " <" + *line.folder + ">";
        lines.push_back(text.append(" -> ").append(std::to_string(line.answer)).append(line.reusable ? " *" : ""));
        for (const DialogAction& action : line.actions) written.push_back(DialogActionLine(*line.id, action));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"3 buttons 1021 -> 23", "4 message 1060 -> 6", "5 message [Une \"erreur\"\n\tsuite\\] -> 2 *",
                                               "6 buttons [Voulez *] -> 25", "7 credentials jean|s3 cr;et: -> 0", "8 credentials -> 0",
                                               "9 folder </srv/maj partagée> -> 0 *", "10 folder -> 0", "11 dialog 102 -> 0", "12 dialog 145 -> 0 *",
                                               "13 dialog 135 -> 0"}));
    EXPECT_EQ(written, (std::vector<std::string>{
                           "dialog 102 do click 1000", "dialog 102 do check 1006", "dialog 102 do uncheck 1006",
                           "dialog 102 do text 1004 \"/srv/\\\"maj\\\"; partagé\"", "dialog 102 do select 1047 \"Mensuel\"",
                           "dialog 102 do add 1020 \"a\\tb\"", "dialog 102 do deselect 1020 \"a\\tb\"", "dialog 102 do wait 1024 100",
                           "dialog 102 do sleep 250", "dialog 102 do close", "dialog 102 do escape", "dialog 145 do click 1",
                           "dialog 135 do text 1030 \" *\""}));
    EXPECT_EQ(script.Lines()[8].actions[3].value, "/srv/\"maj\"; partagé");
}

TEST(ScriptParser, RefusesMalformedLinesWithTheirNumber) {
    const std::pair<const char*, int> cases[] = {
        {"message 1060 -> yes\nmesage 1060 -> yes\n", 2}, {"message 1060 -> peut-être\n", 1}, {"message 1060 -> 6x\n", 1},
        {"message 1060 yes\n", 1}, {"message -> yes\n", 1}, {"buttons 1021 -> 26\n", 1}, {"buttons 1021 -> yes\n", 1},
        {"\n\nmessage \"non fermé -> yes\n", 3}, {"message \"C:\\maj\" -> ok\n", 1}, {"credentials -> \"jean\"\n", 1},
        {"credentials -> maybe\n", 1}, {"dialog 102 click 1\n", 1}, {"dialog 102: clic 1\n", 1},
        {"dialog 102: click 1 click 2\n", 1}, {"dialog 102: text 1004 sansguillemets\n", 1}, {"dialog 102: wait 1024\n", 1},
        {"dialog 102: sleep -5\n", 1}, {"dialog abc: close\n", 1}, {"message 1060 -> yes extra\n", 1},
        {"folder -> /srv\n", 1}, {"folder \"/srv\"\n", 1}, {"folder -> \"/a\" \"/b\"\n", 1},
    };
    for (const auto& [text, line] : cases) {
        auto parsed = ParseScript(text);
        ASSERT_TRUE(std::holds_alternative<ScriptError>(parsed)) << text;
        EXPECT_EQ(std::get<ScriptError>(parsed).line, line) << text;
        EXPECT_FALSE(std::get<ScriptError>(parsed).message.empty());
    }
    auto unreadable = LoadScript("/nonexistent/answers.txt");
    ASSERT_TRUE(std::holds_alternative<ScriptError>(unreadable));
    EXPECT_EQ(std::get<ScriptError>(unreadable).line, 0) << "a file that cannot be read has no line at fault";
}

// The first unused matching line answers; a prefix matches the beginning of
// the text; an identifier never answers a literal text, nor a line of one kind
// an item of another. -1: no line answers.
TEST(Script, TheFirstUnusedMatchingLineOfTheItemsKindAnswers) {
    struct Asked {
        char kind;  // m: message, b: buttons, d: dialog, c: credentials
        int id;
        const char* text;
        int answer;
    };
    Script script = Parsed("message 1074 -> ok\nmessage \"Le t\" -> retry\nmessage 1022 -> cancel\nmessage \"Le\" -> ok\n"
                           "message \"chargement\" -> yes\nbuttons 1021 -> 25\ndialog 145: click 1\ncredentials -> cancel\n");
    const Asked asked[] = {{'m', kLiteralText, "1074", -1}, {'m', kLiteralText, "Le téléchargement a échoué", kIdRetry},
                           {'m', 1022, "Un des fichiers", kIdCancel}, {'m', 1097, "Le téléchargement", kIdOk},
                           {'m', 1097, "Le téléchargement", -1}, {'m', 1, "Téléchargement", -1}, {'m', 1021, "x", -1}, {'d', 102, "", -1},
                           {'d', 145, "", 0}, {'b', 1021, "x", kIdButton3}, {'c', 0, "", 0}, {'c', 0, "", -1}};
    for (const Asked& item : asked) {
        const ScriptLine* line = item.kind == 'm'   ? script.TakeMessage(item.id, item.text)
                                 : item.kind == 'b' ? script.TakeButtons(item.id, item.text)
                                 : item.kind == 'd' ? script.TakeDialog(item.id)
                                                    : script.TakeCredentials();
        EXPECT_EQ(line == nullptr ? -1 : line->answer, item.answer) << item.kind << item.id << " " << item.text;
    }
}

}  // namespace
}  // namespace kt::hostsuite
