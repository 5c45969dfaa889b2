// Choosing the presenter by name, as the host (or kthost) does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hostsuite/desktop_presenter.h"
#include "hostsuite/message_box.h"
#include "hostsuite/presenter_selection.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"

namespace kt::hostsuite {
namespace {

class PresenterSelectionTest : public ::testing::Test {
protected:
    void TearDown() override { InstallPresenter(nullptr); }

    static int AskToInstall() { return KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 1, 1060); }
    // Installs the recorder, lets `choose` pick; true when boxes still reach the recorder.
    bool RecorderKept(const std::function<void()>& choose) {
        InstallPresenter(recorder);
        choose();
        const std::size_t before = recorder->messages.size();
        AskToInstall();
        return recorder->messages.size() == before + 1;
    }

    kt::test::TempTree tree;
    std::shared_ptr<kt::test::RecordingPresenter> recorder = std::make_shared<kt::test::RecordingPresenter>();
};

// A new choice reads the script afresh and appends to its transcript; a
// refused choice keeps the presenter in use and writes nothing; the desktop
// owns the boxes shown without owner.
TEST_F(PresenterSelectionTest, AScriptIsReadAfreshAndARefusedChoiceChangesNothing) {
    const std::string ui = "script:" + tree.WriteFile("answers.txt", "message 1060 -> yes\n").string();
    const auto shown = tree.WriteFile("shown.txt", "earlier line\n");
    for (const char* transcript : {shown.c_str(), static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(SelectPresenter(ui.c_str(), transcript), 1);
        EXPECT_EQ(AskToInstall(), kIdYes);
    }
    EXPECT_EQ(AskToInstall(), kIdNo);
    EXPECT_EQ(kt::test::ReadFile(shown), "earlier line\nmessage id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer ?\" -> yes\n");

    const auto bad = tree.WriteFile("bad.txt", "message 1060 -> yes\nmessage 1060 => yes\n");
    const std::string other = (tree / "other.txt").string();
    const std::pair<std::string, std::string> refused[] = {
        {"", other}, {"gui", other}, {"Terminal", other}, {"script:", other}, {"script:" + (tree / "absent.txt").string(), other},
        {"script:" + bad.string(), other}, {ui, (tree / "no/such/folder/shown.txt").string()},
    };
    for (const auto& [choice, transcript] : refused) {
        EXPECT_TRUE(RecorderKept([&] { EXPECT_EQ(SelectPresenter(choice.c_str(), transcript.c_str()), 0) << choice; }));
    }
    EXPECT_TRUE(RecorderKept([] { EXPECT_EQ(SelectPresenter(nullptr, nullptr), 0); }));
    EXPECT_FALSE(std::filesystem::exists(other));
    int owner = 0;
    KtMessageBox(&owner, "texte", "Erreur", kStyleErrorOk, 1, 1084);
    EXPECT_EQ(recorder->messages.back().owner, &owner);
    EXPECT_TRUE(DesktopWindow() != nullptr && recorder->messages.end()[-2].owner == DesktopWindow());
    EXPECT_EQ(SelectPresenter("terminal", (tree / "terminal.txt").c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(tree / "terminal.txt"));
}

// The display comes from either variable when not empty. Without the desktop
// plugin beside this program, windows are refused and "auto" takes the terminal.
TEST_F(PresenterSelectionTest, WindowsWithoutTheirPluginAreRefusedAndAutoFallsBackToTheTerminal) {
    const std::tuple<const char*, const char*, const char*, bool, int> cases[] = {
        {"gtk", ":97", nullptr, true, 0}, {"gtk", nullptr, nullptr, false, 0}, {"auto", nullptr, "wayland-0", true, 1}, {"auto", "", "", false, 1}};
    const auto set = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
    const auto get = [](const char* name) { return std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt; };
    const std::optional<std::string> saved[] = {get("DISPLAY"), get("WAYLAND_DISPLAY")};
    for (const auto& [ui, display, wayland, configured, result] : cases) {
        SCOPED_TRACE(std::string(ui) + (display ? display : "-") + (wayland ? wayland : "-"));
        set("DISPLAY", display);
        set("WAYLAND_DISPLAY", wayland);
        EXPECT_EQ(DisplayConfigured(), configured);
        EXPECT_EQ(RecorderKept([&] { EXPECT_EQ(SelectPresenter(ui, nullptr), result); }), result == 0);
    }
    set("DISPLAY", saved[0] ? saved[0]->c_str() : nullptr);
    set("WAYLAND_DISPLAY", saved[1] ? saved[1]->c_str() : nullptr);
}

}  // namespace
}  // namespace kt::hostsuite
