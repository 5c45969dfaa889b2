// ftpacs.bin: what the server publishes, and files that are damaged.
#include <cstdlib>

#include "download/ftp_access.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

using download::ScrambleFtpAccess;
using download::UnscrambleFtpAccess;
using Login = std::pair<std::string, std::string>;

Login Read(const std::string& content, std::size_t chars = 128) {
    const download::FtpAccess access = UnscrambleFtpAccess(content, chars);
    return {access.user, access.password};
}

TEST(FtpAccessTest, TheLoginSurvivesScramblingAndDamageNeverReadsPastTheEnd) {
    const std::string good = ScrambleFtpAccess({"talvo", "secret"});
    std::string negative = good;  // a length byte of 0x80 or more ends the file
    negative[6] = static_cast<char>(0xF0);
    EXPECT_EQ(std::pair(good.size(), good.find("talvo")), std::pair(2 + 5 + 6ul, std::string::npos));
    for (const auto& [what, bytes, login] : std::vector<std::tuple<const char*, std::string, Login>>{
             {"cut in the password", good.substr(0, 10), {"talvo", "sec"}},
             {"cut in the user", good.substr(0, 3), {"ta", ""}},
             {"negative length", negative, {"talvo", ""}},
             {"empty", "", {"", ""}}}) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Read(bytes), login);
    }
    EXPECT_EQ(Read(std::string(1, '\0') + good).first, "");
    // A length past the end of the file reads what is there.
    EXPECT_EQ(Read(good.substr(0, 6) + "\x7F" "ab").second.size(), 2u);
    // Values are cut to the characters asked for, never inside a character; a record carries at most 127 bytes.
    EXPECT_EQ(Read(ScrambleFtpAccess({"éééé", "x"}), 3).first, "ééé");
    EXPECT_EQ(Read(ScrambleFtpAccess({std::string(200, 'u'), "p"})).first, std::string(127, 'u'));
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
