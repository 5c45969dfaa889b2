#include <gtest/gtest.h>

#include "config/node_data.h"
#include "history_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

const char* const kEntry =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)";
const char* const k1019 =
    "message id=1019 caption=\"Talvo\" style=0x34 flag=1 text=\"ATTENTION ! Cette opération n'effacera que l'historique "
    "des mises à jour. Les mises à jour ne seront pas désinstallées.\\r\\nCette option vous permet de réinstaller toutes "
    "les mises à jour. Voulez-vous continuer ?\"";
const char* const k1020 = "message id=1020 caption=\"Talvo\" style=0x10 flag=1 text=\"L'historique est vide.\" -> ok unscripted";

struct ClearCase {
    const char* name;
    const char* entries;
    const char* answer;
    const char* version;
    // The Version text afterwards, both in appid.xml and GUID.xml; empty: nothing cleared.
    const char* cleared;
    std::vector<std::string> messages;
};

class HistoryClearTest : public HistoryFixture, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(HistoryClearTest, ClearsOnlyWhenConfirmed) {
    const ClearCase& c = GetParam();
    WriteHistory(c.entries, c.version);
    tree.WriteFile("programfiles/Sesam/Uninstall/pack.bak", "pack");
    const std::string before = AppId(), trash = (tree / "userdata/Trash/files").string();
    EXPECT_EQ(Run(std::string("message 1019 -> ") + c.answer + "\ndialog 133: click 1039; click 1039\n"), 2);

    EXPECT_EQ(Messages(), c.messages);
    if (!*c.cleared) {
        EXPECT_EQ(AppId(), before);
        EXPECT_TRUE(fs::exists(backup / "undo.dat") && fs::exists(tree / "programfiles/Sesam/Uninstall/pack.bak"));
        return;
    }
    std::string version, published;
    config::GetNodeData(config::AppIdPath(ctx), nullptr, "Version", &version, 50, nullptr, nullptr, 0);
    config::GetNodeData(config::GuidFilePath(ctx, kGuid), "Workstation", "Version", &published, 50, nullptr, nullptr, 0);
    EXPECT_EQ(version, c.cleared);
    EXPECT_EQ(published, c.cleared);
    EXPECT_EQ(AppId().find("<Item"), std::string::npos);
    // The backups went to the trash; the workstation's backup folder is there again, empty.
    EXPECT_TRUE(fs::is_directory(backup) && fs::is_empty(backup));
    EXPECT_EQ(ReadFile(trash + "/$" + kGuid + "/undo.dat"), "undo");
    EXPECT_EQ(ReadFile(trash + "/Uninstall/pack.bak"), "pack");
    EXPECT_FALSE(fs::exists(tree / "programfiles/Sesam/Uninstall"));
    EXPECT_FALSE(dialog->IsEnabled(1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryClearTest,
    ::testing::Values(ClearCase{"No", kEntry, "no", "5.2.1234.7", "", {std::string(k1019) + " -> no", std::string(k1019) + " -> no unscripted"}},
                      ClearCase{"YesFourFields", kEntry, "yes", "5.2.1234.7", "5.2.1234", {std::string(k1019) + " -> yes", k1020}},
                      ClearCase{"YesThreeFields", kEntry, "yes", "5.2.1234", "5.2.1234", {std::string(k1019) + " -> yes", k1020}},
                      ClearCase{"Empty", "", "yes", "5.2.1234.7", "", {k1020, k1020}}),
    [](const ::testing::TestParamInfo<ClearCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kt::test
