// The terminal presenter reading a real standard input in another process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_tree.h"

namespace {

std::string AnswersFor(const kt::test::TempTree& tree, const std::string& typed) {
    const auto input = tree.WriteFile("typed.txt", typed);
    const auto output = tree / "out.txt";
    const std::string command =
        std::string(TERMINAL_HELPER_PATH) + " <'" + input.string() + "' >'" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string out = kt::test::ReadFile(output);
    const auto at = out.rfind("answers ");
    return at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at);
}

TEST(TerminalConsole, TypedLinesAnswerInTurn) {
    kt::test::TempTree tree;
    EXPECT_EQ(AnswersFor(tree, "non\r\n3\n"), "answers 7 25");
}

TEST(TerminalConsole, ALastLineWithoutEndOfLineCountsAndThenTheInputHasEnded) {
    kt::test::TempTree tree;
    EXPECT_EQ(AnswersFor(tree, "\n\noui"), "answers 6 24");
    EXPECT_EQ(AnswersFor(tree, ""), "answers 7 24");
}

}  // namespace
