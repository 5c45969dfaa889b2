// The history dialog with a history in appid.xml, its uninstall backup, the
// installer stand-in and a user trash: what it lists, when it lets an update
// be uninstalled, and what clearing removes. Each row on a workstation of its own.
#include <gtest/gtest.h>

#include <cstring>
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
public:
    // `entries` (XML elements) in History, the Version text set to `version`.
    explicit History(const std::string& entries, const std::string& version = "5.2.1234") {
        for (const char* folder : {"userdata/Trash/files", "userdata/Trash/info"}) tree.MakeDir(folder);
        ctx.versionLabel = "Talvo V5";
        backup = tree.WriteFile("UpdateInfo/$" + std::string(kGuid) + "/undo.dat", "undo").parent_path();
        fs::copy_file(KT_INSTALLER_STUB, ctx.appDir + "ktupdate.exe");
        fs::permissions(ctx.appDir + "ktupdate.exe", fs::perms::owner_all);
        pugi::xml_document doc, fragment;
        EXPECT_TRUE(doc.load_file(AppId().c_str()) && fragment.load_string(("<History>" + entries + "</History>").c_str()));
        doc.child("Workstation").child("Version").text().set(version.c_str());
        doc.child("Workstation").append_copy(fragment.first_child());
        EXPECT_TRUE(doc.save_file(AppId().c_str(), "\t"));
    }
    void TestBody() override {}
    int Run(const std::string& script) {
        UseScript(script);
        dialog = std::make_unique<dialogs::CKTHistory>(ctx, update::MakeHistoryServices(ctx, [this] { ++ownerEnds; }));
        return hostsuite::ActivePresenter().RunDialog(*dialog);
    }
    // The mode and arguments the installer stand-in recorded (it records before confirming its start).
    std::string Installer() const {
        std::string found;
        for (const std::string& line : Lines(ReadFile(ctx.appDir + "ktupdate-record.txt"))) {
            for (const char* key : {"mode=", "first_argument=", "second_argument="}) {
                if (line.starts_with(key)) found += line.substr(std::strlen(key));
            }
        }
        return found;
    }
    // The transcript's boxes as "id -> answer"; each under the application's title.
    Strings Boxes() const {
        Strings boxes;
        for (const std::string& line : Messages()) {
            EXPECT_NE(line.find(" caption=\"Talvo\" style=0x"), std::string::npos) << line;
            boxes.push_back(line.substr(11, line.find(' ', 11) - 11) + line.substr(line.rfind(" -> ")));
        }
        return boxes;
    }
    using ConfiguredWorkstation::AppId, ConfiguredWorkstation::GuidFile, ConfiguredWorkstation::Messages, ConfiguredWorkstation::Read,
        ConfiguredWorkstation::Transcript, ConfiguredWorkstation::ctx, ConfiguredWorkstation::tree;

    fs::path backup;
    std::unique_ptr<dialogs::CKTHistory> dialog;
    int ownerEnds = 0;
};

// What it lists, the CanRestore values appid.xml holds once it opened, and whether uninstalling is enabled.
TEST(HistoryTest, ListsEntriesAndEnablesUninstall) {
    const char* const items =
        R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"><Undo/></Item>)"
        R"(<Item NewVer="5.2.1240" GetDate="9.3.2026" PutDate="8.3.2026" File="maj1240.exe" CanRestore="1"><Undo/></Item>)";
    const Strings two = {R"("Talvo V5 (1234)\t3.2.2026\t1.2.2026\tmaj1234.exe")", R"("Talvo V5 (1240)\t9.3.2026\t8.3.2026\tmaj1240.exe")"};
    const struct {
        const char* entries;
        bool backupPresent;
        const char* actions;
        Strings rows, stored;
        bool uninstallEnabled;
    } cases[] = {
        {items, true, "select 1020 \"Talvo V5 (1240)\\t9.3.2026\\t8.3.2026\\tmaj1240.exe\"", two, {"1", "1"}, true},
        // Without its backup the first restorable update can no longer be undone.
        {items, false, "select 1020 \"Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe\"", two, {"0", "1"}, false},
        // Only pack entries, in any letter case.
        {R"(<SesamAll NewVer="1.40" GetDate="1.1.2026" PutDate="5.12.2025" File="sesam.exe" CanRestore="1"/>)"
         R"(<sesam NewVer="1.41" GetDate="2.1.2026" PutDate="6.12.2025" File="s2.exe"/>)",
         true, "select 1020 \"Sesam\"; add 1020 \"Sesam\\t2.1.2026\\t6.12.2025\\ts2.exe\"",
         {R"("Sesam\t1.1.2026\t5.12.2025\tsesam.exe")", R"("Sesam\t2.1.2026\t6.12.2025\ts2.exe")"}, {"1", ""}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.actions);
        History w(c.entries);
        if (!c.backupPresent) fs::remove_all(w.backup);
        EXPECT_EQ(w.Run(std::string("dialog 133: ") + c.actions + "\n"), 2);
        Strings rows, stored;
        for (const std::string& line : w.Transcript()) {
            if (line.starts_with("dialog 133 row 1020=")) rows.push_back(line.substr(20));
        }
        EXPECT_EQ(rows, c.rows);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(w.AppId().c_str()));
        for (const pugi::xml_node& entry : doc.child("Workstation").child("History").children()) {
            stored.push_back(entry.attribute("CanRestore").value());
            EXPECT_TRUE(stored.back() != "0" || !entry.first_child()) << "children of a forgotten backup stay";
        }
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(w.dialog->IsEnabled(1), c.uninstallEnabled);
        EXPECT_FALSE(fs::exists(w.ctx.appDir + "ktupdate-record.txt"));
    }
}

// The installer starts in uninstall mode; leaving a shared pack brings its
// tables home after question 1037, the last user taking the shared ones away.
TEST(HistoryTest, UninstallHandsOverAndLeavesTheSharedTablesWhenConfirmed) {
    const char* const entries =
        R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)"
        R"(<SesamAll NewVer="1.40" GetDate="4.2.2026" PutDate="15.1.2026" File="sesam.exe" CanRestore="1"/>)"
        R"(<Item NewVer="5.2.1230" GetDate="1.1.2026" PutDate="1.1.2026" File="old.exe" CanRestore="0"/>)";
    const std::string item = "Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe";
    const std::string sesam = "select 1020 \"Sesam\\t4.2.2026\\t15.1.2026\\tsesam.exe\"";
    enum Sharing { kNone, kLastUser, kOthersToo, kIniOnly };
    const struct {
        std::string actions;
        Sharing sharing;
        const char* answer1037;     // "" when 1037 must not be asked
        const char* firstArgument;  // "" when the installer must not start
    } cases[] = {
        {"select 1020 \"" + item + "\"", kLastUser, "", "0"}, {sesam, kNone, "", "1"}, {sesam, kIniOnly, "", "1"},
        {sesam, kLastUser, "yes", "1"}, {sesam, kOthersToo, "yes", "1"}, {sesam, kOthersToo, "no", ""},
        {"select 1020 \"Talvo V5 (1230)\\t1.1.2026\\t1.1.2026\\told.exe\"", kNone, "", ""},
        // Deselecting leaves the button enabled; a click then has nothing to uninstall.
        {"select 1020 \"" + item + "\"; deselect 1020 \"" + item + "\"", kNone, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.actions + " " + std::to_string(c.sharing) + c.answer1037);
        History w(entries);
        sesam::TableSet shared;
        if (c.sharing != kNone) {
            shared = MakeTables(w.tree, "network/Sesam", "shared");
            w.tree.WriteFile("windows/sesam.ini", SesamIni(shared));
            if (c.sharing != kIniOnly) w.tree.WriteFile("UpdateInfo/sesam.xml", SesamXml(shared));
            for (const char* guid : {kGuid, c.sharing == kOthersToo ? "{99999999-8888-7777-6666-555555555555}" : kGuid}) {
                ASSERT_EQ(config::UpdateConfXML(w.ctx, guid, "5.2.1234", "", "5.2.0", "0", "15.1.2026", "1"), 1);
            }
            ASSERT_EQ(config::SetNodeData(w.AppId(), "Workstation", "Sesam", "15.1.2026", "Shared", "1"), 1);
        }
        const auto sharedBefore = Snapshot(w.tree / "network/Sesam");
        const bool asked = *c.answer1037 != '\0', started = *c.firstArgument != '\0';
        const std::string answer = asked ? std::string("message 1037 -> ") + c.answer1037 + "\n" : "";
        EXPECT_EQ(w.Run(answer + "dialog 133: " + c.actions + "; click 1\n"), started ? 1 : 2);
        EXPECT_EQ(w.ownerEnds, started ? 1 : 0);
        EXPECT_EQ(w.Boxes(), asked ? Strings{std::string("1037 -> ") + c.answer1037} : Strings{});
        EXPECT_EQ(w.Installer(), started ? std::string("1") + c.firstArgument + "0" : "");
        if (c.sharing == kNone || c.sharing == kIniOnly) continue;
        const bool left = std::string(c.answer1037) == "yes", last = c.sharing == kLastUser;
        // The tables came home; the shared ones stay for the other workstations.
        EXPECT_EQ(Snapshot(w.tree / "programfiles/Sesam"), left ? sharedBefore : decltype(sharedBefore){});
        EXPECT_EQ(Snapshot(w.tree / "network/Sesam"), left && last ? decltype(sharedBefore){} : sharedBefore);
        EXPECT_EQ(fs::exists(w.tree / "UpdateInfo/sesam.xml"), !(left && last));
        EXPECT_EQ(sesam::ReadSesamIniTables((w.tree / "windows/sesam.ini").string()).srt,
                  left ? (w.tree / "programfiles/Sesam/SRT").string() : shared.srt);
        for (const std::string& file : {w.AppId(), w.GuidFile()}) EXPECT_EQ(w.Read(file, "Workstation", "Sesam", "Shared"), left ? "0" : "1");
    }
}

// Confirmed, clearing empties the history, keeps three fields of the version and trashes the backups.
TEST(HistoryTest, ClearsOnlyWhenConfirmed) {
    const char* const entry = R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)";
    const struct {
        const char *entries, *answer, *version;
        const char* cleared;  // the Version text afterwards in appid.xml and GUID.xml; empty: nothing cleared
        Strings messages;
    } cases[] = {
        {entry, "no", "5.2.1234.7", "", {"1019 -> no", "1019 -> no unscripted"}},
        {entry, "yes", "5.2.1234.7", "5.2.1234", {"1019 -> yes", "1020 -> ok unscripted"}},
        {entry, "yes", "5.2.1234", "5.2.1234", {"1019 -> yes", "1020 -> ok unscripted"}},
        {"", "yes", "5.2.1234.7", "", {"1020 -> ok unscripted", "1020 -> ok unscripted"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entries) + c.answer + c.version);
        History w(c.entries, c.version);
        w.tree.WriteFile("programfiles/Sesam/Uninstall/pack.bak", "pack");
        const std::string before = ReadFile(w.AppId()), trash = (w.tree / "userdata/Trash/files").string();
        EXPECT_EQ(w.Run(std::string("message 1019 -> ") + c.answer + "\ndialog 133: click 1039; click 1039\n"), 2);
        EXPECT_EQ(w.Boxes(), c.messages);
        if (!*c.cleared) {
            EXPECT_EQ(ReadFile(w.AppId()), before);
            EXPECT_TRUE(fs::exists(w.backup / "undo.dat") && fs::exists(w.tree / "programfiles/Sesam/Uninstall/pack.bak"));
            continue;
        }
        EXPECT_TRUE(w.Read(w.AppId(), nullptr, "Version") == c.cleared && w.Read(w.GuidFile(), "Workstation", "Version") == c.cleared);
        EXPECT_EQ(ReadFile(w.AppId()).find("<Item"), std::string::npos);
        // The workstation's backup folder is there again, empty.
        EXPECT_TRUE(fs::is_directory(w.backup) && fs::is_empty(w.backup));
        EXPECT_EQ(ReadFile(trash + "/$" + kGuid + "/undo.dat"), "undo");
        EXPECT_EQ(ReadFile(trash + "/Uninstall/pack.bak"), "pack");
        EXPECT_FALSE(fs::exists(w.tree / "programfiles/Sesam/Uninstall"));
        EXPECT_FALSE(w.dialog->IsEnabled(1));
    }
}

}  // namespace
}  // namespace kt::test
