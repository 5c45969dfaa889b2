// The main update dialog on a real appid.xml and GUID.xml, played by the
// scripted presenter.
#include <gtest/gtest.h>

#include <map>

#include "config/workstation_state_file.h"
#include "dialogs/main_dialog.h"
#include "support/workstation_test.h"

namespace kt::test {
namespace {

using dialogs::CKTupdateDLLDlg;
using dialogs::MainDialogServices;

// The scripted presenter that also keeps the folder each browse started on.
class BrowsingPresenter : public hostsuite::ScriptedPresenter {
public:
    using ScriptedPresenter::ScriptedPresenter;
    std::optional<std::string> ChooseFolder(hostsuite::Window owner, const std::string& caption,
                                            const std::string& initialFolder) override {
        starts.push_back(initialFolder);
        return ScriptedPresenter::ChooseFolder(owner, caption, initialFolder);
    }
    std::vector<std::string> starts;
};

// A control as a person sees it: text, then ticked, disabled, hidden.
std::string Seen(const hostsuite::Control& control) {
    return control.text + (control.checked ? " [x]" : "") + (control.enabled ? "" : " -") +
           (control.visible ? "" : " hidden");
}

class MainDialogTest : public WorkstationTest {
protected:
    MainDialogTest() {
        updates = tree.MakeDir("maj").string();
        tree.WriteFile("maj/versions.xml", "<Versions/>");
        EXPECT_EQ(config::UpdateConfXML(ctx, kGuid, "5.2.0", "", "5.2.0", "5", "", "0"), 1);
    }
    std::string AppId() const { return config::AppIdPath(ctx); }
    std::string GuidFile() const { return config::GuidFilePath(ctx, kGuid); }
    void SetDirectory(const std::string& directory) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "LocalUpdate", directory.c_str(), nullptr, nullptr), 1);
    }
    // "Type", "Network", "LocalUpdate" of appid.xml and "Others" (LastUpdate@Type) of GUID.xml.
    std::map<std::string, std::string> Stored() const {
        std::map<std::string, std::string> saved;
        for (const char* attribute : {"Type", "Network"}) {
            config::GetNodeData(AppId(), "Workstation", "Update", nullptr, 0, attribute, &saved[attribute], 300);
        }
        config::GetNodeData(AppId(), "Workstation", "LocalUpdate", &saved["LocalUpdate"], 300, nullptr, nullptr, 0);
        config::GetNodeData(GuidFile(), "Workstation", "LastUpdate", nullptr, 0, "Type", &saved["Others"], 10);
        return saved;
    }
    int Run(const std::string& script, MainDialogServices services = {}) {
        UseScript("");
        auto parsed = hostsuite::ParseScript(script);
        EXPECT_TRUE(std::holds_alternative<hostsuite::Script>(parsed));
        transcript = (tree / "main.txt").string();
        std::filesystem::remove(transcript);
        browser = std::make_shared<BrowsingPresenter>(std::get<hostsuite::Script>(std::move(parsed)),
                                                      hostsuite::TranscriptWriter::Open(transcript));
        hostsuite::InstallPresenter(browser);
        CKTupdateDLLDlg dialog(ctx, nullptr, std::move(services));
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        choice = dialog.Choice();
        shown.clear();
        for (const hostsuite::Control& control : dialog.Controls()) shown[control.id] = Seen(control);
        return result;
    }
    Strings Shown() const { return Lines(ReadFile(transcript)); }
    Strings Boxes() const {
        Strings boxes;
        for (const std::string& line : Shown()) {
            if (line.rfind("message ", 0) == 0) boxes.push_back(line);
        }
        return boxes;
    }

    std::string updates;
    std::string transcript;
    std::shared_ptr<BrowsingPresenter> browser;
    dialogs::MainDialogChoice choice;
    std::map<int, std::string> shown;
};

const std::string kInternet = "Télécharger les mises à jour à partir d'Internet";
const std::string kNetwork = "Installer les mises à jour à partir du réseau local";
const std::string kDirectory = "Charger les mises à jour à partir de : ";
const std::string kForAll = "Récupérer les mises à jour pour tous les postes en réseau";

TEST_F(MainDialogTest, OpensOnTheStoredSourceWithItsEnabling) {
    const struct {
        const char* type;
        const char* network;
        std::map<int, std::string> expected;
    } cases[] = {
        {"1", "1", {{1000, kInternet + " [x]"}, {1001, kNetwork}, {1003, kDirectory}, {1004, "/srv/maj/ -"},
                    {1005, "Parcourir... -"}, {1006, kForAll + " [x]"}}},
        {"2", "1", {{1000, kInternet}, {1001, kNetwork + " [x]"}, {1003, kDirectory}, {1004, "/srv/maj/ -"},
                    {1005, "Parcourir... -"}, {1006, kForAll + " [x] -"}}},
        {"3", "0", {{1000, kInternet}, {1001, kNetwork}, {1003, kDirectory + " [x]"}, {1004, "/srv/maj/"},
                    {1005, "Parcourir..."}, {1006, kForAll}}},
        {"7", "0", {{1000, kInternet}, {1001, kNetwork}, {1003, kDirectory}, {1004, "/srv/maj/"},
                    {1005, "Parcourir..."}, {1006, kForAll}}},
    };
    SetDirectory("/srv/maj/");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        SetUpdate("Type", c.type);
        SetUpdate("Network", c.network);
        const std::string before = ReadFile(AppId());
        EXPECT_EQ(Run(""), hostsuite::kIdCancel);
        for (const auto& [id, seen] : c.expected) EXPECT_EQ(shown[id], seen) << id;
        for (int hidden : {1040, 1009, 1043, 1045}) EXPECT_TRUE(shown[hidden].ends_with(" - hidden")) << hidden;
        EXPECT_EQ(ReadFile(AppId()), before) << "an unanswered dialog saves nothing";
        EXPECT_EQ(Shown().front(), "dialog 102 open caption=\"Mise à jour de Talvo\"");
        EXPECT_EQ(Shown().back(), "dialog 102 end 2 unscripted");
    }
}

TEST_F(MainDialogTest, SavingWritesTheSourceTheBoxAndTheDownloadForOthers) {
    using Saved = std::map<std::string, std::string>;
    const std::string dir = updates + "/";
    const struct {
        const char* script;
        int result;
        Saved expected;
    } cases[] = {
        {"click 1000; check 1006; click 2", 2, {{"Type", "1"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "1"}}},
        {"click 1000; uncheck 1006; click 2", 2, {{"Type", "1"}, {"Network", "0"}, {"LocalUpdate", dir}, {"Others", "5"}}},
        {"check 1006; click 1001; click 2", 2, {{"Type", "2"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "0"}}},
        {"click 1003; check 1006; click 1", 1, {{"Type", "3"}, {"Network", "1"}, {"LocalUpdate", dir}, {"Others", "0"}}},
        {"click 1003; text 1004 \"\"; close", 2, {{"Type", "3"}, {"Network", "0"}, {"LocalUpdate", ""}, {"Others", "0"}}},
        // No source ticked: the type stays, OK without a check.
        {"click 1", 1, {{"Type", "7"}, {"Network", "0"}, {"LocalUpdate", dir}, {"Others", "5"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        SetUpdate("Type", "7");
        SetUpdate("Network", "0");
        SetDirectory(updates);
        ASSERT_EQ(config::SetNodeData(GuidFile(), "Workstation", "LastUpdate", nullptr, "Type", "5"), 1);
        EXPECT_EQ(Run(std::string("dialog 102: ") + c.script), c.result);
        EXPECT_EQ(Stored(), c.expected);
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(choice.directoryText, c.expected.at("LocalUpdate"));
    }
    EXPECT_FALSE(choice.internet || choice.network || choice.directory);
}

// A directory without an update is refused before anything is written;
// "Fermer" and the close box save it as it is, Escape saves nothing.
TEST_F(MainDialogTest, ADirectoryWithoutUpdateIsRefusedByCommencerOnly) {
    tree.MakeDir("vide");
    const struct {
        const char* directory;
        const char* actions;
        int result;
        bool refused, saved;
    } cases[] = {
        {"vide", "click 1; escape", 2, true, false},
        {"", "click 1; escape", 2, true, false},
        {"vide", "click 1; click 2", 2, true, true},
        {"vide", "close", 2, false, true},
        {"vide", "check 1006; escape", 2, false, false},
        {"maj", "check 1006; click 1", 1, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.directory) + ": " + c.actions);
        SetUpdate("Type", "3");
        SetDirectory(*c.directory ? (tree / c.directory).string() : "");
        const std::string appBefore = ReadFile(AppId()), guidBefore = ReadFile(GuidFile());
        EXPECT_EQ(Run(std::string("dialog 102: ") + c.actions), c.result);
        const Strings refusal = {"message id=1074 caption=\"Erreur\" style=0x10 flag=1 text=\"Le répertoire indiqué "
                                 "ne contient pas de mise à jour !\" -> ok unscripted"};
        EXPECT_EQ(Boxes(), c.refused ? refusal : Strings{});
        EXPECT_EQ(ReadFile(AppId()) != appBefore, c.saved);
        if (!c.saved) {
            EXPECT_EQ(ReadFile(GuidFile()), guidBefore);
        }
    }
}

TEST_F(MainDialogTest, OptionsAndHistoryOpenOverTheDialogAndAnUninstallEndsItWithoutSaving) {
    SetUpdate("Type", "1");
    std::vector<std::string> opened;
    hostsuite::Window dialogWindow = nullptr;
    MainDialogServices services;
    services.openOptions = [&](hostsuite::Window parent) {
        opened.push_back("options");
        dialogWindow = parent;
    };
    services.openHistory = [&](hostsuite::Window parent, std::function<void()> endWithoutSaving) {
        opened.push_back(parent == dialogWindow ? "history" : "history elsewhere");
        endWithoutSaving();
    };
    const std::string before = ReadFile(AppId());
    EXPECT_EQ(Run("dialog 102: click 1007; click 1001; click 1020; click 1", services), hostsuite::kIdCancel);
    EXPECT_EQ(opened, (std::vector<std::string>{"options", "history"}));
    EXPECT_NE(dialogWindow, nullptr);
    EXPECT_EQ(ReadFile(AppId()), before);
    EXPECT_EQ(Shown().back(), "dialog 102 end 2") << "the click of 1 after the uninstall is not played";
}

TEST_F(MainDialogTest, BrowsingStartsOnTheEditsFolderAndTakesOnlyAPickedFolder) {
    tree.WriteFile("maj/notes.txt", "x");
    const std::string caption = "folder caption=\"Sélectionner le répertoire...\" -> ";
    const struct {
        std::string edit, folderLine, start, result, transcript;
    } cases[] = {
        {updates, "folder -> \"/srv/autre\"", updates, "/srv/autre", caption + "\"/srv/autre\""},
        {updates + "/notes.txt", "folder -> cancel", updates, updates + "/notes.txt", caption + "cancel"},
        {updates + "/absent/x", "", updates + "/absent", updates + "/absent/x", caption + "cancel unscripted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        SetUpdate("Type", "3");
        SetDirectory(c.edit);
        EXPECT_EQ(Run("dialog 102: click 1005; escape\n" + c.folderLine), hostsuite::kIdCancel);
        EXPECT_EQ(browser->starts, (Strings{c.start}));
        EXPECT_EQ(shown[1004], c.result);
        EXPECT_TRUE(InOrder(Shown(), {"dialog 102 do click 1005", c.transcript, "dialog 102 do escape"}));
    }
}

}  // namespace
}  // namespace kt::test
