// kthost choosing windows: the plugin found beside the module, a script from
// the environment played on the windows, and the terminal when no display is set.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_tree.h"

namespace kt::test {
namespace {

struct Case {
    const char* name;
    const char* ui;
    // Whether the display stays set for kthost.
    bool display;
    // The end of the message box's transcript line.
    const char* answer;
};

TEST(KthostWindowsTest, TheRecordErrorIsAnsweredOnTheWindowsOrInTheTerminal) {
    const Case cases[] = {
        {"script", "script:", true, "-> ok"},
        {"windows", "gtk", true, "-> ok"},
        {"windows when a display is set", "auto", true, "-> ok"},
        // The terminal's input is closed: the box gets its safe answer.
        {"terminal without a display", "auto", false, "-> ok unscripted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        const std::string script = tree.WriteFile("answers.txt", "message 1084 -> ok\n").string();
        const std::string shown = (tree / "shown.txt").string();
        const std::string ui = std::string(c.ui) == "script:" ? "script:" + script : c.ui;
        const std::string command =
            std::string(c.display ? "" : "env -u DISPLAY ") + "KT_GTK_SCRIPT=" + script + " " + KTHOST_PATH +
            " --app-dir " + tree.MakeDir("app").string() + " --data-dir " + tree.MakeDir("data").string() +
            " --update-dir " + tree.MakeDir("data/UpdateInfo").string() +
            " --ver-major 5 --ver-minor 2 --ver-build 0 --title Talvo --ui " + ui + " --transcript " + shown +
            " </dev/null >" + (tree / "out.txt").string() + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(tree / "out.txt");
        EXPECT_EQ(ReadFile(shown),
                  std::string("message id=1084 caption=\"Erreur\" style=0x10 flag=1 text=\"Le nom du praticien n'est "
                              "pas lisible. Mise à jour impossible.\" ") + c.answer + "\n");
    }
}

}  // namespace
}  // namespace kt::test
