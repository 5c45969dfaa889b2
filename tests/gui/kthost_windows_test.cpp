// kthost choosing windows: the plugin found beside the module, a script from
// the environment played on the windows, and the terminal without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "support/temp_tree.h"

namespace kt::test {
namespace {

TEST(KthostWindowsTest, TheRecordErrorIsAnsweredOnTheWindowsOrInTheTerminal) {
    // --ui, whether the display stays set, the end of the box's transcript line
    // (the terminal's input is closed: the box gets its safe answer).
    const std::tuple<std::string, bool, const char*> cases[] = {
        {"script:", true, "-> ok"}, {"gtk", true, "-> ok"}, {"auto", true, "-> ok"}, {"auto", false, "-> ok unscripted"}};
    for (const auto& [ui, display, answer] : cases) {
        SCOPED_TRACE(ui + (display ? "" : " without a display"));
        TempTree tree;
        const std::string script = tree.WriteFile("answers.txt", "message 1084 -> ok\n").string(), shown = (tree / "shown.txt").string();
        const std::string command =
            std::string(display ? "" : "env -u DISPLAY ") + "KT_GTK_SCRIPT=" + script + " " + KTHOST_PATH + " --app-dir " +
            tree.MakeDir("app").string() + " --data-dir " + tree.MakeDir("data").string() + " --update-dir " +
            tree.MakeDir("data/UpdateInfo").string() + " --ver-major 5 --ver-minor 2 --ver-build 0 --title Talvo --ui " +
            (ui == "script:" ? ui + script : ui) + " --transcript " + shown + " </dev/null >" + (tree / "out.txt").string() + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(tree / "out.txt");
        EXPECT_EQ(ReadFile(shown), std::string("message id=1084 caption=\"Erreur\" style=0x10 flag=1 text=\"Le nom du praticien "
                                               "n'est pas lisible. Mise à jour impossible.\" ") + answer + "\n");
    }
}

}  // namespace
}  // namespace kt::test
