// Choosing the presenter by name, as the host (or kthost) does.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
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
    void SetUp() override { InstallPresenter(recorder); }
    void TearDown() override { InstallPresenter(nullptr); }

    static int AskToInstall() {
        return KtMessageBox(nullptr, "Installer ?", "Talvo", kStyleQuestionYesNo, 1, 1060);
    }
    // True when message boxes still reach the presenter installed first.
    bool RecorderStillActive() {
        const std::size_t before = recorder->messages.size();
        AskToInstall();
        return recorder->messages.size() == before + 1;
    }

    kt::test::TempTree tree;
    std::shared_ptr<kt::test::RecordingPresenter> recorder = std::make_shared<kt::test::RecordingPresenter>();
};

TEST_F(PresenterSelectionTest, AScriptAnswersWithOrWithoutATranscriptWhichIsAppendedTo) {
    const std::string ui = "script:" + tree.WriteFile("answers.txt", "message 1060 -> yes\n").string();
    const auto shown = tree.WriteFile("shown.txt", "earlier line\n");
    const std::string expected =
        "earlier line\nmessage id=1060 caption=\"Talvo\" style=0x24 flag=1 text=\"Installer ?\" -> yes\n";
    ASSERT_EQ(SelectPresenter(ui.c_str(), shown.c_str()), 1);
    EXPECT_EQ(AskToInstall(), kIdYes);
    EXPECT_EQ(kt::test::ReadFile(shown), expected);

    ASSERT_EQ(SelectPresenter(ui.c_str(), nullptr), 1);
    EXPECT_EQ(AskToInstall(), kIdYes) << "a new choice reads the script afresh";
    EXPECT_EQ(AskToInstall(), kIdNo);
    EXPECT_EQ(kt::test::ReadFile(shown), expected);
}

TEST_F(PresenterSelectionTest, TheTerminalCanBeChosenWithATranscript) {
    EXPECT_EQ(SelectPresenter("terminal", (tree / "shown.txt").c_str()), 1);
    EXPECT_TRUE(std::filesystem::exists(tree / "shown.txt"));
    EXPECT_FALSE(RecorderStillActive());
}

TEST_F(PresenterSelectionTest, ARefusedChoiceKeepsThePresenterInUseAndWritesNothing) {
    const auto good = tree.WriteFile("answers.txt", "message 1060 -> yes\n");
    const auto bad = tree.WriteFile("bad.txt", "message 1060 -> yes\nmessage 1060 => yes\n");
    const std::string shown = (tree / "shown.txt").string();
    const std::string refused[] = {"", "gui", "Terminal", "script:", "script:" + (tree / "absent.txt").string(),
                                   "script:" + bad.string()};
    for (const std::string& ui : refused) EXPECT_EQ(SelectPresenter(ui.c_str(), shown.c_str()), 0) << ui;
    EXPECT_EQ(SelectPresenter(nullptr, nullptr), 0);
    EXPECT_EQ(SelectPresenter(("script:" + good.string()).c_str(), (tree / "no/such/folder/shown.txt").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(shown));
    EXPECT_TRUE(RecorderStillActive());
}

TEST_F(PresenterSelectionTest, TheDesktopOwnsTheBoxesShownWithoutOwner) {
    EXPECT_NE(DesktopWindow(), nullptr);
    EXPECT_EQ(DesktopWindow(), DesktopWindow());
    KtMessageBox(nullptr, "texte", "Erreur", kStyleErrorOk, 1, 1084);
    int owner = 0;
    KtMessageBoxButtons(&owner, "texte", "Talvo", kStyleQuestionYesNo, ButtonRecord{}, 1);
    ASSERT_EQ(recorder->messages.size(), 1u);
    EXPECT_EQ(recorder->messages[0].owner, DesktopWindow());
    EXPECT_EQ(recorder->messages[0].stringId, 1084);
    ASSERT_EQ(recorder->buttons.size(), 1u);
    EXPECT_EQ(recorder->buttons[0].owner, &owner);
    EXPECT_EQ(recorder->buttons[0].buttons, "&Oui\r\n&Non\r\n&Options...");
}

// Sets an environment variable (or unsets it, for null) for the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        if (value != nullptr) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedVariable() {
        if (saved_) setenv(name_, saved_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// Beside this test program there is no desktop plugin: windows cannot be had.
TEST_F(PresenterSelectionTest, WindowsWithoutTheirPluginAreRefusedAndAutoFallsBackToTheTerminal) {
    struct Case {
        const char* ui;
        const char* display;
        int result;
        bool recorderKept;
    };
    const Case cases[] = {
        {"gtk", ":97", 0, true},
        {"gtk", nullptr, 0, true},
        {"auto", ":97", 1, false},
        {"auto", nullptr, 1, false},
    };
    for (const Case& c : cases) {
        ScopedVariable display("DISPLAY", c.display);
        ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
        InstallPresenter(recorder);
        EXPECT_EQ(SelectPresenter(c.ui, nullptr), c.result) << c.ui << " " << (c.display ? c.display : "-");
        EXPECT_EQ(RecorderStillActive(), c.recorderKept) << c.ui;
    }
}

TEST_F(PresenterSelectionTest, TheDisplayIsTakenFromEitherVariableWhenNotEmpty) {
    struct Case {
        const char* display;
        const char* wayland;
        bool configured;
    };
    const Case cases[] = {{":0", nullptr, true}, {nullptr, "wayland-0", true}, {"", "", false}, {nullptr, nullptr, false}};
    for (const Case& c : cases) {
        ScopedVariable display("DISPLAY", c.display);
        ScopedVariable wayland("WAYLAND_DISPLAY", c.wayland);
        EXPECT_EQ(DisplayConfigured(), c.configured) << (c.display ? c.display : "-") << (c.wayland ? c.wayland : "-");
    }
}

}  // namespace
}  // namespace kt::hostsuite
