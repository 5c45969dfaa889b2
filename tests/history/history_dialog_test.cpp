// The history dialog on a workstation with a history in appid.xml, its
// uninstall backup, the installer stand-in and a user trash: what it lists,
// when it lets an update be uninstalled, and what clearing removes.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "config/node_data.h"
#include "config/workstation_state_file.h"
#include "dialogs/history_dialog.h"
#include "sesam/sesam_ini.h"
#include "support/table_folders.h"
#include "support/workstation.h"
#include "update/history_services.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

class History : public ConfiguredWorkstation {
protected:
    History() {
        tree.MakeDir("userdata/Trash/files");
        tree.MakeDir("userdata/Trash/info");
        ctx.versionLabel = "Talvo V5";
        backup = tree.WriteFile("UpdateInfo/$" + std::string(kGuid) + "/undo.dat", "undo").parent_path();
        fs::copy_file(KT_INSTALLER_STUB, ctx.appDir + "ktupdate.exe");
        fs::permissions(ctx.appDir + "ktupdate.exe", fs::perms::owner_all);
    }
    // Puts `entries` (XML elements) in History, after setting the Version text.
    void WriteHistory(const std::string& entries, const std::string& version = "5.2.1234") const {
        pugi::xml_document doc, fragment;
        ASSERT_TRUE(doc.load_file(AppId().c_str()));
        ASSERT_TRUE(fragment.load_string(("<History>" + entries + "</History>").c_str()));
        doc.child("Workstation").child("Version").text().set(version.c_str());
        doc.child("Workstation").append_copy(fragment.first_child());
        ASSERT_TRUE(doc.save_file(AppId().c_str(), "\t"));
    }
    int Run(const std::string& script) {
        UseScript(script);
        dialog = std::make_unique<dialogs::CKTHistory>(ctx, update::MakeHistoryServices(ctx, [this] { ++ownerEnds; }));
        return hostsuite::ActivePresenter().RunDialog(*dialog);
    }
    // What the installer stand-in recorded for `key` (it records before confirming its start).
    std::string Installer(const std::string& key) const {
        for (const std::string& line : Lines(ReadFile(ctx.appDir + "ktupdate-record.txt"))) {
            if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
        }
        return "";
    }
    bool InstallerStarted() const { return fs::exists(ctx.appDir + "ktupdate-record.txt"); }

    fs::path backup;
    std::unique_ptr<dialogs::CKTHistory> dialog;
    int ownerEnds = 0;
};

const char* const kTwoItems =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"><Undo/></Item>)"
    R"(<Item NewVer="5.2.1240" GetDate="9.3.2026" PutDate="8.3.2026" File="maj1240.exe" CanRestore="1"><Undo/></Item>)";

// What it lists, the CanRestore values appid.xml holds once it opened, and
// whether the uninstall button is enabled after the actions.
TEST_F(History, ListsEntriesAndEnablesUninstall) {
    const Strings two = {R"("Talvo V5 (1234)\t3.2.2026\t1.2.2026\tmaj1234.exe")",
                         R"("Talvo V5 (1240)\t9.3.2026\t8.3.2026\tmaj1240.exe")"};
    const struct {
        const char* entries;
        bool backupPresent;
        const char* actions;
        Strings rows, stored;
        bool uninstallEnabled;
    } cases[] = {
        {kTwoItems, true, "select 1020 \"Talvo V5 (1240)\\t9.3.2026\\t8.3.2026\\tmaj1240.exe\"", two, {"1", "1"}, true},
        // Without its backup the first restorable update can no longer be undone.
        {kTwoItems, false, "select 1020 \"Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe\"", two, {"0", "1"}, false},
        // Only pack entries, in any letter case; a short version gives an empty bracket.
        {R"(<SesamAll NewVer="1.40" GetDate="1.1.2026" PutDate="5.12.2025" File="sesam.exe" CanRestore="1"/>)"
         R"(<sesam NewVer="1.41" GetDate="2.1.2026" PutDate="6.12.2025" File="s2.exe"/>)",
         true, "select 1020 \"Sesam\"; add 1020 \"Sesam\\t2.1.2026\\t6.12.2025\\ts2.exe\"",
         {R"("Sesam\t1.1.2026\t5.12.2025\tsesam.exe")", R"("Sesam\t2.1.2026\t6.12.2025\ts2.exe")"}, {"1", ""}, false},
        {R"(<Item NewVer="5.2" GetDate="1" PutDate="2" File="f" CanRestore="1"/>)"
         R"(<Item NewVer="5.2.7" GetDate="3" PutDate="4" File="g" CanRestore="0"/>)",
         true, "select 1020 \"Talvo V5 ()\"; add 1020 \"Talvo V5 (7)\\t3\\t4\\tg\"; deselect 1020 \"Talvo V5 (7)\\t3\\t4\\tg\"",
         {R"("Talvo V5 ()\t1\t2\tf")", R"("Talvo V5 (7)\t3\t4\tg")"}, {"1", "0"}, false},
        {"", true, "click 1", {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.actions);
        CreateDefault();
        tree.WriteFile("UpdateInfo/$" + std::string(kGuid) + "/undo.dat", "undo");
        WriteHistory(c.entries);
        if (!c.backupPresent) fs::remove_all(backup);
        EXPECT_EQ(Run(std::string("dialog 133: ") + c.actions + "\n"), 2);
        Strings rows, stored;
        for (const std::string& line : Transcript()) {
            if (line.starts_with("dialog 133 row 1020=")) rows.push_back(line.substr(20));
        }
        EXPECT_EQ(rows, c.rows);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(AppId().c_str()));
        for (const pugi::xml_node& entry : doc.child("Workstation").child("History").children()) {
            stored.push_back(entry.attribute("CanRestore").value());
            EXPECT_TRUE(stored.back() != "0" || !entry.first_child()) << "children of a forgotten backup stay";
        }
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(dialog->IsEnabled(1), c.uninstallEnabled);
        EXPECT_FALSE(InstallerStarted());
    }
}

const char* const kEntries =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)"
    R"(<SesamAll NewVer="1.40" GetDate="4.2.2026" PutDate="15.1.2026" File="sesam.exe" CanRestore="1"/>)"
    R"(<Item NewVer="5.2.1230" GetDate="1.1.2026" PutDate="1.1.2026" File="old.exe" CanRestore="0"/>)";
const std::string kItemRow = "Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe";
const std::string kSesam = "select 1020 \"Sesam\\t4.2.2026\\t15.1.2026\\tsesam.exe\"";

enum class Sharing { kNone, kLastUser, kOthersToo, kIniOnly };

struct UninstallCase {
    const char* name;
    std::string actions;
    Sharing sharing;
    const char* answer1037;     // "" when 1037 must not be asked
    const char* firstArgument;  // "" when the installer must not start
};

class HistoryUninstall : public History, public ::testing::WithParamInterface<UninstallCase> {};

TEST_P(HistoryUninstall, HandsOverInUninstallMode) {
    const UninstallCase& c = GetParam();
    WriteHistory(kEntries);
    sesam::TableSet shared;
    if (c.sharing != Sharing::kNone) {
        shared = MakeTables(tree, "network/Sesam", "shared");
        tree.WriteFile("windows/sesam.ini", SesamIni(shared));
        if (c.sharing != Sharing::kIniOnly) tree.WriteFile("UpdateInfo/sesam.xml", SesamXml(shared));
        ASSERT_EQ(config::UpdateConfXML(ctx, kGuid, "5.2.1234", "", "5.2.0", "0", "15.1.2026", "1"), 1);
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "Sesam", "15.1.2026", "Shared", "1"), 1);
        if (c.sharing == Sharing::kOthersToo) {
            ASSERT_EQ(config::UpdateConfXML(ctx, "{99999999-8888-7777-6666-555555555555}", "5.2.1234", "", "5.2.0", "0",
                                            "15.1.2026", "1"), 1);
        }
    }
    const auto sharedBefore = Snapshot(tree / "network/Sesam");
    const std::string answer = *c.answer1037 ? std::string("message 1037 -> ") + c.answer1037 + "\n" : "";
    const bool started = *c.firstArgument != '\0';
    EXPECT_EQ(Run(answer + "dialog 133: " + c.actions + "; click 1\n"), started ? 1 : 2);
    EXPECT_EQ(ownerEnds, started ? 1 : 0);
    const Strings messages = Messages();
    ASSERT_EQ(messages.size(), *c.answer1037 ? 1u : 0u);
    if (*c.answer1037) {
        EXPECT_TRUE(messages[0].starts_with("message id=1037 caption=\"Talvo\" style=0x14 flag=1 text=\"ATTENTION ! Vous "
                                            "allez désinstaller une mise à jour du pack Sesam Vitale\\nmais"));
    }
    EXPECT_EQ(InstallerStarted(), started);
    EXPECT_EQ(Installer("mode") + Installer("first_argument") + Installer("second_argument"),
              started ? std::string("1") + c.firstArgument + "0" : "");
    if (c.sharing == Sharing::kNone || c.sharing == Sharing::kIniOnly) return;

    const bool left = std::string(c.answer1037) == "yes";
    const bool last = c.sharing == Sharing::kLastUser;
    // The tables came home; the shared ones stay for the other workstations.
    EXPECT_EQ(Snapshot(tree / "programfiles/Sesam"), left ? sharedBefore : decltype(sharedBefore){});
    EXPECT_EQ(Snapshot(tree / "network/Sesam"), left && last ? decltype(sharedBefore){} : sharedBefore);
    EXPECT_EQ(fs::exists(tree / "UpdateInfo/sesam.xml"), !(left && last));
    EXPECT_EQ(sesam::ReadSesamIniTables((tree / "windows/sesam.ini").string()).srt,
              left ? (tree / "programfiles/Sesam/SRT").string() : shared.srt);
    for (const std::string& file : {AppId(), GuidFile()}) EXPECT_EQ(Read(file, "Workstation", "Sesam", "Shared"), left ? "0" : "1") << file;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryUninstall,
    ::testing::Values(UninstallCase{"Application", "select 1020 \"" + kItemRow + "\"", Sharing::kLastUser, "", "0"},
                      UninstallCase{"SesamNotShared", kSesam, Sharing::kNone, "", "1"},
                      UninstallCase{"SesamWithoutSesamXml", kSesam, Sharing::kIniOnly, "", "1"},
                      UninstallCase{"SesamLastUser", kSesam, Sharing::kLastUser, "yes", "1"},
                      UninstallCase{"SesamOthersToo", kSesam, Sharing::kOthersToo, "yes", "1"},
                      UninstallCase{"SesamDeclined", kSesam, Sharing::kOthersToo, "no", ""},
                      UninstallCase{"NotRestorable", "select 1020 \"Talvo V5 (1230)\\t1.1.2026\\t1.1.2026\\told.exe\"",
                                    Sharing::kNone, "", ""},
                      // Deselecting leaves the button enabled; a click then has nothing to uninstall.
                      UninstallCase{"NothingSelected", "select 1020 \"" + kItemRow + "\"; deselect 1020 \"" + kItemRow + "\"",
                                    Sharing::kNone, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

const std::string k1019 =
    "message id=1019 caption=\"Talvo\" style=0x34 flag=1 text=\"ATTENTION ! Cette opération n'effacera que l'historique "
    "des mises à jour. Les mises à jour ne seront pas désinstallées.\\r\\nCette option vous permet de réinstaller toutes "
    "les mises à jour. Voulez-vous continuer ?\"";
const std::string k1020 = "message id=1020 caption=\"Talvo\" style=0x10 flag=1 text=\"L'historique est vide.\" -> ok unscripted";

struct ClearCase {
    const char* name;
    const char* entries;
    const char* answer;
    const char* version;
    const char* cleared;  // the Version text afterwards in appid.xml and GUID.xml; empty: nothing cleared
    Strings messages;
};

class HistoryClear : public History, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(HistoryClear, ClearsOnlyWhenConfirmed) {
    const ClearCase& c = GetParam();
    WriteHistory(c.entries, c.version);
    tree.WriteFile("programfiles/Sesam/Uninstall/pack.bak", "pack");
    const std::string before = ReadFile(AppId()), trash = (tree / "userdata/Trash/files").string();
    EXPECT_EQ(Run(std::string("message 1019 -> ") + c.answer + "\ndialog 133: click 1039; click 1039\n"), 2);
    EXPECT_EQ(Messages(), c.messages);
    if (!*c.cleared) {
        EXPECT_EQ(ReadFile(AppId()), before);
        EXPECT_TRUE(fs::exists(backup / "undo.dat") && fs::exists(tree / "programfiles/Sesam/Uninstall/pack.bak"));
        return;
    }
    EXPECT_EQ(Read(AppId(), nullptr, "Version"), c.cleared);
    EXPECT_EQ(Read(GuidFile(), "Workstation", "Version"), c.cleared);
    EXPECT_EQ(ReadFile(AppId()).find("<Item"), std::string::npos);
    // The backups went to the trash; the workstation's backup folder is there again, empty.
    EXPECT_TRUE(fs::is_directory(backup) && fs::is_empty(backup));
    EXPECT_EQ(ReadFile(trash + "/$" + kGuid + "/undo.dat"), "undo");
    EXPECT_EQ(ReadFile(trash + "/Uninstall/pack.bak"), "pack");
    EXPECT_FALSE(fs::exists(tree / "programfiles/Sesam/Uninstall"));
    EXPECT_FALSE(dialog->IsEnabled(1));
}

const char* const kEntry =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)";

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryClear,
    ::testing::Values(ClearCase{"No", kEntry, "no", "5.2.1234.7", "", {k1019 + " -> no", k1019 + " -> no unscripted"}},
                      ClearCase{"YesFourFields", kEntry, "yes", "5.2.1234.7", "5.2.1234", {k1019 + " -> yes", k1020}},
                      ClearCase{"YesThreeFields", kEntry, "yes", "5.2.1234", "5.2.1234", {k1019 + " -> yes", k1020}},
                      ClearCase{"Empty", "", "yes", "5.2.1234.7", "", {k1020, k1020}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kt::test
