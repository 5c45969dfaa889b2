// ftpacs.bin: what the server publishes, and files that are damaged.
#include <cstdlib>

#include "download/ftp_access.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

using download::FtpAccess;
using download::ScrambleFtpAccess;
using download::UnscrambleFtpAccess;

TEST(FtpAccessTest, TheLoginSurvivesScrambling) {
    const FtpAccess access{"talvo", "mot de passe é"};
    const std::string content = ScrambleFtpAccess(access);
    EXPECT_EQ(content.size(), 2 + access.user.size() + access.password.size());
    EXPECT_EQ(content.find("talvo"), std::string::npos);
    const FtpAccess read = UnscrambleFtpAccess(content);
    EXPECT_EQ(read.user, access.user);
    EXPECT_EQ(read.password, access.password);
}

TEST(FtpAccessTest, DamagedFilesGiveEmptyOrCutValues) {
    const std::string good = ScrambleFtpAccess({"talvo", "secret"});
    // Cut inside the password: what arrived is kept.
    EXPECT_EQ(UnscrambleFtpAccess(good.substr(0, 10)).password, "sec");
    // Cut inside the user name: no password.
    const FtpAccess cut = UnscrambleFtpAccess(good.substr(0, 3));
    EXPECT_EQ(cut.user, "ta");
    EXPECT_EQ(cut.password, "");
    // A negative length (a byte of 0x80 or more) ends the file.
    std::string negative = good;
    negative[6] = static_cast<char>(0xF0);
    EXPECT_EQ(UnscrambleFtpAccess(negative).user, "talvo");
    EXPECT_EQ(UnscrambleFtpAccess(negative).password, "");
    // A length beyond the end of the file reads what is there, never past it.
    std::string oversized = good.substr(0, 6) + std::string(1, '\x7F') + "ab";
    EXPECT_EQ(UnscrambleFtpAccess(oversized).password.size(), 2u);
    EXPECT_EQ(UnscrambleFtpAccess(std::string(1, '\0') + good).user, "");
    EXPECT_EQ(UnscrambleFtpAccess("").user, "");
    // Values are cut to the characters asked for, never inside a character.
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({"éééé", "x"}), 3).user, "ééé");
    // A record carries at most 127 bytes.
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({std::string(200, 'u'), "p"})).user, std::string(127, 'u'));
}

using FtpAccessFileTest = DownloadTest;

TEST_F(FtpAccessFileTest, TheToolWritesWhatTheModuleReads) {
    const std::string path = (tree / "ftpacs.bin").string();
    const std::string command = std::string(KT_FTPACS_WRITER) + " '" + path + "' talvo 'maj 2026'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string user = "old";
    std::string password = "old";
    download::GetFTPAccessParams(ctx, nullptr, path, user, 128, password, 4);
    EXPECT_EQ(user, "talvo");
    EXPECT_EQ(password, "maj ");
    EXPECT_TRUE(Logged("INFO KTDownload : Get FTP params OK"));
}

TEST_F(FtpAccessFileTest, MissingOrEmptyFilesLeaveTheValues) {
    std::string user = "old";
    std::string password = "old";
    const std::string missing = (tree / "absent.bin").string();
    download::GetFTPAccessParams(ctx, nullptr, missing, user, 128, password, 128);
    EXPECT_TRUE(Logged("WARNING KTDownload : Can't finf file " + missing));
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_1 : Problème: connexion FTP - getparams."));

    const std::string empty = tree.WriteFile("empty.bin", "").string();
    download::GetFTPAccessParams(ctx, nullptr, empty, user, 128, password, 128);
    EXPECT_TRUE(Logged("WARNING KTDownload : Can't read file " + empty));
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_2 : Problème: connexion FTP - readfile."));
    EXPECT_EQ(user, "old");
    EXPECT_EQ(password, "old");
}

}  // namespace
}  // namespace kt::test
