#include "sesam/ccam_tables.h"

#include "platform/private_profile.h"
#include "sesam/sesam_ini.h"
#include "support/table_folders.h"
#include "support/workstation.h"

namespace kt::sesam {
namespace {

namespace fs = std::filesystem;

enum class Fault { kNone, kMissingSource, kUnwritableDestination, kNoTempFolder, kUnwritableIni };

// Name, local -> shared (else shared -> local), move (else copy), fault: any
// fault shows message 1115 and puts everything back.
using MoveCase = std::tuple<const char*, bool, bool, Fault>;

class CcamMoveTest : public test::Workstation, public ::testing::WithParamInterface<MoveCase> {
protected:
    CcamMoveTest() {
        UseScript("");
        local = test::MakeTables(tree, "programfiles/Sesam", "local");
        shared = test::MakeTables(tree, "network/Sesam", "shared");
        ini = tree.WriteFile("windows/sesam.ini", test::SesamIni(local)).string();
        tree.WriteFile("UpdateInfo/sesam.xml", test::SesamXml(shared));
        setenv("TMPDIR", tree.MakeDir("tmp").c_str(), 1);
    }
    ~CcamMoveTest() override { unsetenv("TMPDIR"); }
    sesam::TableSet local, shared;
    std::string ini;
};

TEST_P(CcamMoveTest, MovesOrRollsBackExactly) {
    const auto& [name, toShared, move, fault] = GetParam();
    TableSet source = toShared ? local : shared, destination = toShared ? shared : local;
    // A destination already there (old tables) must come back after a rollback.
    const auto sourceBefore = test::Snapshot(fs::path(source.common).parent_path());
    const auto destinationBefore = test::Snapshot(fs::path(destination.common).parent_path());
    const std::string iniBefore = test::ReadFile(ini);
    std::string iniPath = ini;
    switch (fault) {
        case Fault::kNone: break;
        case Fault::kMissingSource: fs::remove_all(source.srt); break;
        case Fault::kUnwritableDestination:
            // A file where a folder should be: refused even to root.
            destination.srt = tree.WriteFile("blocker", "x").string() + "/SRT";
            break;
        case Fault::kNoTempFolder: setenv("TMPDIR", tree.WriteFile("blocker-tmp", "").c_str(), 1); break;
        case Fault::kUnwritableIni: iniPath = (tree / "missing/sesam.ini").string(); break;
    }
    const auto sourceAfterFault = test::Snapshot(fs::path(source.common).parent_path());

    const int result = MoveCcamTables(ctx, iniPath, source, destination, move ? 1 : 0);

    const test::Strings messages = Messages();
    if (fault == Fault::kNone) {
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(test::Snapshot(fs::path(destination.common).parent_path()), sourceBefore);
        EXPECT_EQ(test::Snapshot(fs::path(source.common).parent_path()), move ? decltype(sourceBefore){} : sourceBefore);
        const TableSet written = ReadSesamIniTables(ini);
        const std::string commonSsv = platform::GetPrivateProfileString("COMMUN", "RepertoireTable", "", 260, ini);
        EXPECT_EQ(std::tie(written.common, written.ssv, commonSsv, written.srt, written.sts),
                  std::tie(destination.common, destination.ssv, destination.ssv, destination.srt, destination.sts));
        EXPECT_TRUE(InOrder(Transcript(), {"busy on", "busy off"}));
    } else {
        EXPECT_EQ(result, 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].starts_with("message id=1115 caption=\"Talvo\" style=0x10")) << messages[0];
        EXPECT_EQ(test::Snapshot(fs::path(source.common).parent_path()), sourceAfterFault);
        EXPECT_EQ(test::Snapshot(fs::path(local.common).parent_path()), toShared ? sourceAfterFault : destinationBefore);
        EXPECT_EQ(test::ReadFile(ini), iniBefore);
        if (fault != Fault::kNoTempFolder) {
            EXPECT_TRUE(InOrder(Transcript(), {"busy on", "busy off", messages[0]}));
        }
    }
    // The private backup folder is gone once the tables are back.
    EXPECT_TRUE(fs::is_empty(tree / "tmp"));
}

const MoveCase kMoveCases[] = {
    {"HomeMoved", false, true, Fault::kNone},
    {"HomeCopied", false, false, Fault::kNone},
    {"MissingSource", false, true, Fault::kMissingSource},
    {"MovedBlocked", true, true, Fault::kUnwritableDestination},
    {"CopiedBlocked", false, false, Fault::kUnwritableDestination},
    {"NoTempFolder", false, true, Fault::kNoTempFolder},
    {"IniUnwritable", false, true, Fault::kUnwritableIni},
};
INSTANTIATE_TEST_SUITE_P(Cases, CcamMoveTest, ::testing::ValuesIn(kMoveCases),
                         [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(std::get<0>(info.param)); });

}  // namespace
}  // namespace kt::sesam
