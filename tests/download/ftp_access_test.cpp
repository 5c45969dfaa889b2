// ftpacs.bin: what the server publishes, and files that are damaged.
#include <cstdlib>

#include "download/ftp_access.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

// Damaged files are replayed by the ftpacs fuzz harness; values are cut to the
// characters asked for, never inside a character.
TEST(FtpAccessTest, ValuesAreCutToWholeCharacters) {
    EXPECT_EQ(download::UnscrambleFtpAccess(download::ScrambleFtpAccess({"éééé", "x"}), 3).user, "ééé");
}

using FtpAccessFileTest = DownloadTest;

TEST_F(FtpAccessFileTest, TheToolWritesWhatTheModuleReadsAndBadFilesLeaveTheValues) {
    const std::string path = (tree / "ftpacs.bin").string();
    ASSERT_EQ(std::system((std::string(KT_FTPACS_WRITER) + " '" + path + "' talvo 'maj 2026'").c_str()), 0);
    std::string user = "old", password = "old";
    download::GetFTPAccessParams(ctx, path, user, 128, password, 4);
    EXPECT_EQ(user + "/" + password, "talvo/maj ");

    user = password = "old";
    const std::string missing = (tree / "absent.bin").string();
    download::GetFTPAccessParams(ctx, missing, user, 128, password, 128);
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_1 : Problème: connexion FTP - getparams."));
    const std::string empty = tree.WriteFile("empty.bin", "").string();
    download::GetFTPAccessParams(ctx, empty, user, 128, password, 128);
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_2 : Problème: connexion FTP - readfile."));
    EXPECT_EQ(user + "/" + password, "old/old");
}

}  // namespace
}  // namespace kt::test
