#include <gtest/gtest.h>

#include "config/node_data.h"
#include "config/workstation_state_file.h"
#include "history_fixture.h"
#include "sesam/sesam_ini.h"
#include "support/table_folders.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

const char* const kOtherGuid = "{99999999-8888-7777-6666-555555555555}";
const char* const kEntries =
    R"(<Item NewVer="5.2.1234" GetDate="3.2.2026" PutDate="1.2.2026" File="maj1234.exe" CanRestore="1"/>)"
    R"(<SesamAll NewVer="1.40" GetDate="4.2.2026" PutDate="15.1.2026" File="sesam.exe" CanRestore="1"/>)"
    R"(<Item NewVer="5.2.1230" GetDate="1.1.2026" PutDate="1.1.2026" File="old.exe" CanRestore="0"/>)";
const char* const kItemRow = "Talvo V5 (1234)\\t3.2.2026\\t1.2.2026\\tmaj1234.exe";
const char* const kSesamRow = "Sesam\\t4.2.2026\\t15.1.2026\\tsesam.exe";
const char* const kOldRow = "Talvo V5 (1230)\\t1.1.2026\\t1.1.2026\\told.exe";

std::string Select(const char* row) { return std::string("select 1020 \"") + row + "\""; }

enum class Sharing { kNone, kLastUser, kOthersToo, kIniOnly };

struct UninstallCase {
    const char* name;
    std::string actions;
    Sharing sharing;
    const char* answer1037;  // "" when 1037 must not be asked
    const char* firstArgument;  // "" when the installer must not start
};

class HistoryUninstallTest : public HistoryFixture, public ::testing::WithParamInterface<UninstallCase> {
protected:
    void ShareTables(Sharing sharing) {
        if (sharing == Sharing::kNone) return;
        shared = MakeTables(tree, "network/Sesam", "shared");
        tree.WriteFile("windows/sesam.ini", SesamIni(shared));
        if (sharing != Sharing::kIniOnly) tree.WriteFile("UpdateInfo/sesam.xml", SesamXml(shared));
        ASSERT_EQ(config::UpdateConfXML(ctx, kGuid, "5.2.1234", "", "5.2.0", "0", "15.1.2026", "1"), 1);
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Workstation", "Sesam", "15.1.2026", "Shared", "1"), 1);
        if (sharing == Sharing::kOthersToo) {
            ASSERT_EQ(config::UpdateConfXML(ctx, kOtherGuid, "5.2.1234", "", "5.2.0", "0", "15.1.2026", "1"), 1);
        }
    }
    sesam::TableSet shared;
};

TEST_P(HistoryUninstallTest, HandsOverInUninstallMode) {
    const UninstallCase& c = GetParam();
    WriteHistory(kEntries);
    ShareTables(c.sharing);
    const auto sharedBefore = Snapshot(tree / "network/Sesam");
    const std::string answer = *c.answer1037 ? std::string("message 1037 -> ") + c.answer1037 + "\n" : "";
    const int result = Run(answer + "dialog 133: " + c.actions + "; click 1\n");

    const bool started = *c.firstArgument != '\0';
    EXPECT_EQ(result, started ? 1 : 2);
    EXPECT_EQ(ownerEnds, started ? 1 : 0);
    const Strings messages = Messages();
    ASSERT_EQ(messages.size(), *c.answer1037 ? 1u : 0u);
    if (*c.answer1037) {
        EXPECT_TRUE(messages[0].starts_with("message id=1037 caption=\"Talvo\" style=0x14 flag=1 text=\"ATTENTION ! Vous "
                                            "allez désinstaller une mise à jour du pack Sesam Vitale\\nmais"));
    }
    if (!started) {
        EXPECT_FALSE(InstallerStarted());
    } else {
        EXPECT_EQ(Installer("mode"), "1");
        EXPECT_EQ(Installer("first_argument"), c.firstArgument);
        EXPECT_EQ(Installer("second_argument"), "0");
    }
    if (c.sharing == Sharing::kNone || c.sharing == Sharing::kIniOnly) return;

    const bool left = std::string(c.answer1037) == "yes";
    const bool last = c.sharing == Sharing::kLastUser;
    // The tables came home; the shared ones stay for the other workstations.
    EXPECT_EQ(Snapshot(tree / "programfiles/Sesam"), left ? sharedBefore : decltype(sharedBefore){});
    EXPECT_EQ(Snapshot(tree / "network/Sesam"), left && last ? decltype(sharedBefore){} : sharedBefore);
    EXPECT_EQ(fs::exists(tree / "UpdateInfo/sesam.xml"), !(left && last));
    EXPECT_EQ(sesam::ReadSesamIniTables((tree / "windows/sesam.ini").string()).srt,
              left ? (tree / "programfiles/Sesam/SRT").string() : shared.srt);
    for (const std::string& file : {config::AppIdPath(ctx), config::GuidFilePath(ctx, kGuid)}) {
        std::string flag;
        config::GetNodeData(file, "Workstation", "Sesam", nullptr, 0, "Shared", &flag, 3);
        EXPECT_EQ(flag, left ? "0" : "1") << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryUninstallTest,
    ::testing::Values(UninstallCase{"Application", Select(kItemRow), Sharing::kLastUser, "", "0"},
                      UninstallCase{"SesamNotShared", Select(kSesamRow), Sharing::kNone, "", "1"},
                      UninstallCase{"SesamWithoutSesamXml", Select(kSesamRow), Sharing::kIniOnly, "", "1"},
                      UninstallCase{"SesamLastUser", Select(kSesamRow), Sharing::kLastUser, "yes", "1"},
                      UninstallCase{"SesamOthersToo", Select(kSesamRow), Sharing::kOthersToo, "yes", "1"},
                      UninstallCase{"SesamDeclined", Select(kSesamRow), Sharing::kOthersToo, "no", ""},
                      UninstallCase{"NotRestorable", Select(kOldRow), Sharing::kNone, "", ""},
                      // Deselecting leaves the button enabled; a click then has nothing to uninstall.
                      UninstallCase{"NothingSelected", Select(kItemRow) + "; deselect 1020 \"" + kItemRow + "\"",
                                    Sharing::kNone, "", ""}),
    [](const ::testing::TestParamInfo<UninstallCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kt::test
