// The main update dialog on a real appid.xml and GUID.xml, played by the scripted presenter.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "config/workstation_state_file.h"
#include "dialogs/main_dialog.h"
#include "support/workstation.h"

namespace kt::test {
namespace {

using dialogs::CKTupdateDLLDlg;
using Stored = std::map<std::string, std::string>;

class MainDialogTest : public ConfiguredWorkstation {
protected:
    MainDialogTest() {
        updates = tree.MakeDir("maj").string();
        tree.WriteFile("maj/versions.xml", "<Versions/>");
        tree.MakeDir("vide");
        EXPECT_EQ(config::UpdateConfXML(ctx, kGuid, "5.2.0", "", "5.2.0", "5", "", "0"), 1);
    }
    void Store(const std::string& type, const std::string& directory, const std::string& network = "0") const {
        SetUpdate("Type", type);
        SetUpdate("Network", network);
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "LocalUpdate", directory.c_str(), nullptr, nullptr), 1);
    }
    // appid.xml's source, box and directory; "Others" is GUID.xml's LastUpdate@Type.
    Stored Saved() const {
        return {{"Type", Read(AppId(), "Workstation", "Update", "Type").value_or("?")},
                {"Network", Read(AppId(), "Workstation", "Update", "Network").value_or("?")},
                {"LocalUpdate", Read(AppId(), "Workstation", "LocalUpdate", nullptr, 300).value_or("?")},
                {"Others", Read(GuidFile(), "Workstation", "LastUpdate", "Type").value_or("?")}};
    }
    int Run(const std::string& script, dialogs::MainDialogServices services = {}) {
        std::filesystem::remove(tree / "main.txt");
        hostsuite::InstallPresenter(std::make_shared<hostsuite::ScriptedPresenter>(std::get<hostsuite::Script>(hostsuite::ParseScript(script)),
                                                                                  hostsuite::TranscriptWriter::Open(tree / "main.txt")));
        CKTupdateDLLDlg dialog(ctx, nullptr, std::move(services));
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        state.clear();
        for (int id : {1000, 1001, 1003, 1004, 1005, 1006}) state += "-.Xx"[dialog.IsChecked(id) * 2 + dialog.IsEnabled(id)];
        for (int id : {1040, 1009, 1043, 1045}) EXPECT_FALSE(dialog.IsVisible(id) || dialog.IsEnabled(id)) << id;
        choice = dialog.Choice();
        return result;
    }
    Strings Shown() const { return Lines(ReadFile((tree / "main.txt").string())); }

    std::string updates, state;
    dialogs::MainDialogChoice choice;
};

// The dialog opens on the stored source (per control 1000 1001 1003 1004 1005 1006: x ticked,
// X ticked and disabled, - disabled). Commencer refuses a directory without update before
// writing anything; Fermer and the close box save the choices as they are; Escape saves nothing.
TEST_F(MainDialogTest, OpensOnTheStoredSourceAndSavesWhatFermerOrCommencerTakes) {
    const std::string dir = updates + "/", vide = (tree / "vide").string();
    const struct {
        std::string type, directory, script;
        int result;
        bool refused;
        Stored expected;  // empty: nothing written
        std::string state = {}, network = "0";
    } cases[] = {
        {"1", "/srv/maj/", "", 2, false, {}, "x..--x", "1"}, {"2", "/srv/maj/", "", 2, false, {}, ".x.--X", "1"},
        {"3", "/srv/maj/", "", 2, false, {}, "..x..x", "1"}, {"7", "/srv/maj/", "", 2, false, {}, ".....x", "1"},
        {"7", updates, "click 1000; check 1006; click 2", 2, false, {{"Type", "1"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "1"}}},
        {"7", updates, "click 1000; click 2", 2, false, {{"Type", "1"}, {"Network", "0"}, {"LocalUpdate", dir}, {"Others", "5"}}},
        {"7", updates, "check 1006; click 1001; click 2", 2, false, {{"Type", "2"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "0"}}},
        {"7", updates, "click 1003; check 1006; click 1", 1, false, {{"Type", "3"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "0"}}},
        {"7", updates, "click 1003; text 1004 \"\"; close", 2, false, {{"Type", "3"}, {"Network", "0"}, {"LocalUpdate", ""}, {"Others", "0"}}},
        // No source ticked: OK without a check, the type stays.
        {"7", updates, "click 1", 1, false, {{"Type", "7"}, {"Network", "0"}, {"LocalUpdate", dir}, {"Others", "5"}}},
        {"3", vide, "check 1006; click 1; escape", 2, true, {}},
        {"3", "", "click 1; escape", 2, true, {}},
        // The browser's pick replaces the directory; its cancel keeps it.
        {"3", vide, "click 1005; click 2\nfolder -> \"/srv/autre\"", 2, false,
         {{"Type", "3"}, {"Network", "0"}, {"LocalUpdate", "/srv/autre/"}, {"Others", "0"}}},
        {"3", vide, "click 1005; click 2\nfolder -> cancel", 2, false,
         {{"Type", "3"}, {"Network", "0"}, {"LocalUpdate", vide + "/"}, {"Others", "0"}}},
        {"3", vide, "check 1006; click 1; click 2", 2, true, {{"Type", "3"}, {"Network", "1"}, {"LocalUpdate", vide + "/"}, {"Others", "0"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type + " " + c.directory + ": " + c.script);
        Store(c.type, c.directory, c.network);
        ASSERT_EQ(config::SetNodeData(GuidFile(), "Workstation", "LastUpdate", nullptr, "Type", "5"), 1);
        const std::string app = ReadFile(AppId()), guid = ReadFile(GuidFile());
        EXPECT_EQ(Run(c.script.empty() ? "" : "dialog 102: " + c.script), c.result);
        EXPECT_TRUE(c.state.empty() || state == c.state) << state;
        const auto refusal = [](const std::string& line) { return line.starts_with("message id=1074 caption=\"Erreur\" style=0x10 "); };
        EXPECT_EQ(std::ranges::any_of(Shown(), refusal), c.refused);
        if (c.expected.empty()) {
            EXPECT_TRUE(ReadFile(AppId()) == app && ReadFile(GuidFile()) == guid);
        } else {
            EXPECT_EQ(Saved(), c.expected);
            EXPECT_EQ(choice.directoryText, c.expected.at("LocalUpdate"));
        }
    }
}

TEST_F(MainDialogTest, OptionsAndHistoryOpenOverTheDialogAndAnUninstallEndsItWithoutSaving) {
    Store("1", updates);
    std::vector<hostsuite::Window> parents;
    dialogs::MainDialogServices services{[&](hostsuite::Window parent) { parents.push_back(parent); },
                                         [&](hostsuite::Window parent, std::function<void()> endWithoutSaving) {
                                             parents.push_back(parent);
                                             endWithoutSaving();
                                         }};
    const std::string before = ReadFile(AppId());
    EXPECT_EQ(Run("dialog 102: click 1007; click 1001; click 1020; click 1", services), hostsuite::kIdCancel);
    ASSERT_EQ(parents.size(), 2u);
    EXPECT_TRUE(parents[0] != nullptr && parents[0] == parents[1]);
    EXPECT_EQ(ReadFile(AppId()), before);
    EXPECT_EQ(Shown().back(), "dialog 102 end 2") << "the click of 1 after the uninstall is not played";
}

}  // namespace
}  // namespace kt::test
