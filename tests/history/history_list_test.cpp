#include <gtest/gtest.h>

#include "history_fixture.h"

namespace kt::test {
namespace {

struct ListCase {
    const char* name;
    const char* entries;
    bool backupPresent;
    const char* actions;
    std::vector<std::string> rows;
    // The CanRestore values appid.xml holds once the dialog opened.
    std::vector<std::string> stored;
    bool uninstallEnabled;
};

class HistoryListTest : public HistoryFixture, public ::testing::WithParamInterface<ListCase> {};

TEST_P(HistoryListTest, ListsEntriesAndEnablesUninstall) {
    const ListCase& c = GetParam();
    WriteHistory(c.entries);
    if (!c.backupPresent) std::filesystem::remove_all(backup);
    EXPECT_EQ(Run(std::string("dialog 133: ") + c.actions + "\n"), 2);

    Strings rows;
    for (const std::string& line : Transcript()) {
        if (line.starts_with("dialog 133 row 1020=")) rows.push_back(line.substr(20));
    }
    EXPECT_EQ(rows, c.rows);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(config::AppIdPath(ctx).c_str()));
    Strings stored;
    for (const pugi::xml_node& entry : doc.child("Workstation").child("History").children()) {
        stored.push_back(entry.attribute("CanRestore").value());
        if (stored.back() == "0") {
            EXPECT_FALSE(entry.first_child()) << "children of a forgotten backup stay";
        }
    }
    EXPECT_EQ(stored, c.stored);
    EXPECT_EQ(dialog->IsEnabled(1), c.uninstallEnabled);
    EXPECT_FALSE(InstallerStarted());
}

const char* const kTwoItems =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"><Undo/></Item>)"
    R"(<Item NewVer="5.2.1240" GetDate="9.3.2026" PutDate="8.3.2026" File="maj1240.exe" CanRestore="1"><Undo/></Item>)";

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryListTest,
    ::testing::Values(
        ListCase{"ItemsWithBackup", kTwoItems, true, "select 1020 \"Talvo V5 (1240)\\t9.3.2026\\t8.3.2026\\tmaj1240.exe\"",
                 {R"("Talvo V5 (1234)\t3.2.2026\t1.2.2026\tmaj1234.exe")", R"("Talvo V5 (1240)\t9.3.2026\t8.3.2026\tmaj1240.exe")"},
                 {"1", "1"}, true},
        // Without its backup the first restorable update can no longer be undone.
        ListCase{"BackupMissing", kTwoItems, false, "select 1020 \"Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe\"",
                 {R"("Talvo V5 (1234)\t3.2.2026\t1.2.2026\tmaj1234.exe")", R"("Talvo V5 (1240)\t9.3.2026\t8.3.2026\tmaj1240.exe")"},
                 {"0", "1"}, false},
        // Only pack entries, in any letter case; a short version gives an empty bracket.
        ListCase{"SesamOnly",
                 R"(<SesamAll NewVer="1.40" GetDate="1.1.2026" PutDate="5.12.2025" File="sesam.exe" CanRestore="1"/>)"
                 R"(<sesam NewVer="1.41" GetDate="2.1.2026" PutDate="6.12.2025" File="s2.exe"/>)",
                 true, "select 1020 \"Sesam\"; add 1020 \"Sesam\\t2.1.2026\\t6.12.2025\\ts2.exe\"",
                 {R"("Sesam\t1.1.2026\t5.12.2025\tsesam.exe")", R"("Sesam\t2.1.2026\t6.12.2025\ts2.exe")"}, {"1", ""},
                 false},
        ListCase{"ShortVersionDeselected",
                 R"(<Item NewVer="5.2" GetDate="1" PutDate="2" File="f" CanRestore="1"/>)"
                 R"(<Item NewVer="5.2.7" GetDate="3" PutDate="4" File="g" CanRestore="0"/>)",
                 true, "select 1020 \"Talvo V5 ()\"; add 1020 \"Talvo V5 (7)\\t3\\t4\\tg\"; deselect 1020 \"Talvo V5 (7)\\t3\\t4\\tg\"",
                 {R"("Talvo V5 ()\t1\t2\tf")", R"("Talvo V5 (7)\t3\t4\tg")"}, {"1", "0"}, false},
        ListCase{"NoHistory", "", true, "click 1", {}, {}, false}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kt::test
