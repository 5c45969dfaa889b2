// Choosing the presenter by name, as the host (or kthost) does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "hostsuite/desktop_presenter.h"
#include "hostsuite/message_box.h"
#include "hostsuite/presenter_selection.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"

namespace kt::hostsuite {
namespace {

// A new choice reads the script afresh and appends to its transcript; a
// refused choice keeps the presenter in use and writes nothing; windows are
// refused without their plugin beside this program, and "auto" then takes the
// terminal; the display comes from either variable when not empty.
TEST(PresenterSelectionTest, AScriptIsReadAfreshAndARefusedChoiceChangesNothing) {
    kt::test::TempTree tree;
    const auto ask = [] { return KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 1, 1060); };
    const std::string ui = "script:" + tree.WriteFile("answers.txt", "message 1060 -> yes\n").string();
    const auto shown = tree.WriteFile("shown.txt", "earlier line\n");
    for (const char* transcript : {shown.c_str(), static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(SelectPresenter(ui.c_str(), transcript), 1);
        EXPECT_EQ(ask(), kIdYes);
    }
    EXPECT_EQ(ask(), kIdNo);
    EXPECT_EQ(kt::test::ReadFile(shown), "earlier line\nmessage id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer ?\" -> yes\n");

    const std::string other = (tree / "other.txt").string(), bad = tree.WriteFile("bad.txt", "message 1060 -> yes\nmessage 1060 => yes\n");
    const char* const display = std::getenv("DISPLAY");
    const std::string savedDisplay = display ? display : "";
    const std::tuple<std::string, std::string, const char*, const char*, int> choices[] = {
        {"", other, ":97", nullptr, 0}, {"gui", other, ":97", nullptr, 0}, {"Terminal", other, ":97", nullptr, 0}, {"script:", other, ":97", nullptr, 0},
        {"script:" + (tree / "absent.txt").string(), other, ":97", nullptr, 0}, {"script:" + bad, other, ":97", nullptr, 0},
        {ui, (tree / "no/such/folder/shown.txt").string(), ":97", nullptr, 0}, {"gtk", "", ":97", nullptr, 0}, {"gtk", "", nullptr, nullptr, 0},
        {"auto", "", nullptr, "wayland-0", 1}, {"auto", "", "", "", 1}};
    auto recorder = std::make_shared<kt::test::RecordingPresenter>();
    for (const auto& [choice, transcript, x11, wayland, result] : choices) {
        SCOPED_TRACE(choice + (x11 ? x11 : "-") + (wayland ? wayland : "-"));
        x11 ? setenv("DISPLAY", x11, 1) : unsetenv("DISPLAY");
        wayland ? setenv("WAYLAND_DISPLAY", wayland, 1) : unsetenv("WAYLAND_DISPLAY");
        EXPECT_EQ(DisplayConfigured(), (x11 && *x11) || (wayland && *wayland));
        InstallPresenter(recorder);
        EXPECT_EQ(SelectPresenter(choice.c_str(), transcript.empty() ? nullptr : transcript.c_str()), result);
        const std::size_t before = recorder->messages.size();
        ask();
        EXPECT_EQ(recorder->messages.size(), before + (result == 0 ? 1 : 0)) << "the recorder kept";
    }
    display ? setenv("DISPLAY", savedDisplay.c_str(), 1) : unsetenv("DISPLAY");
    EXPECT_EQ(SelectPresenter(nullptr, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(other));
    // The desktop owns the boxes shown without owner.
    InstallPresenter(recorder);
    int owner = 0;
    KtMessageBox(&owner, "texte", "Erreur", kStyleErrorOk, 1, 1084);
    EXPECT_TRUE(recorder->messages.back().owner == &owner && recorder->messages.end()[-2].owner == DesktopWindow() && DesktopWindow());
    EXPECT_EQ(SelectPresenter("terminal", (tree / "terminal.txt").c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(tree / "terminal.txt"));
    InstallPresenter(nullptr);
}

}  // namespace
}  // namespace kt::hostsuite
