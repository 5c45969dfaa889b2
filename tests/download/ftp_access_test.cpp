// ftpacs.bin: what the server publishes, and files that are damaged.
#include <cstdlib>

#include "download/ftp_access.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

using download::FtpAccess;
using download::ScrambleFtpAccess;
using download::UnscrambleFtpAccess;

TEST(FtpAccessTest, TheLoginSurvivesScramblingAndDamageNeverReadsPastTheEnd) {
    const FtpAccess access{"talvo", "mot de passe é"};
    const std::string content = ScrambleFtpAccess(access);
    EXPECT_EQ(content.size(), 2 + access.user.size() + access.password.size());
    EXPECT_EQ(content.find("talvo"), std::string::npos);
    EXPECT_EQ(UnscrambleFtpAccess(content).user, access.user);
    EXPECT_EQ(UnscrambleFtpAccess(content).password, access.password);

    const std::string good = ScrambleFtpAccess({"talvo", "secret"});
    std::string negative = good;  // a length byte of 0x80 or more ends the file
    negative[6] = static_cast<char>(0xF0);
    struct Case {
        const char* what;
        std::string content;
        std::string user, password;
    };
    for (const Case& c : {Case{"cut in the password", good.substr(0, 10), "talvo", "sec"},
                          Case{"cut in the user", good.substr(0, 3), "ta", ""},
                          Case{"negative length", negative, "talvo", ""},
                          Case{"empty user", std::string(1, '\0') + good, "", "?"}, Case{"empty", "", "", ""}}) {
        SCOPED_TRACE(c.what);
        const FtpAccess read = UnscrambleFtpAccess(c.content);
        EXPECT_EQ(read.user, c.user);
        if (c.password != "?") {
            EXPECT_EQ(read.password, c.password);
        }
    }
    // A length past the end of the file reads what is there.
    EXPECT_EQ(UnscrambleFtpAccess(good.substr(0, 6) + "\x7F" "ab").password.size(), 2u);
    // Values are cut to the characters asked for, never inside a character; a record carries at most 127 bytes.
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({"éééé", "x"}), 3).user, "ééé");
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({std::string(200, 'u'), "p"})).user, std::string(127, 'u'));
}

using FtpAccessFileTest = DownloadTest;

TEST_F(FtpAccessFileTest, TheToolWritesWhatTheModuleReadsAndBadFilesLeaveTheValues) {
    const std::string path = (tree / "ftpacs.bin").string();
    ASSERT_EQ(std::system((std::string(KT_FTPACS_WRITER) + " '" + path + "' talvo 'maj 2026'").c_str()), 0);
    std::string user = "old";
    std::string password = "old";
    download::GetFTPAccessParams(ctx, path, user, 128, password, 4);
    EXPECT_EQ(user, "talvo");
    EXPECT_EQ(password, "maj ");
    EXPECT_TRUE(Logged("INFO KTDownload : Get FTP params OK"));

    user = password = "old";
    const std::string missing = (tree / "absent.bin").string();
    download::GetFTPAccessParams(ctx, missing, user, 128, password, 128);
    EXPECT_TRUE(Logged("WARNING KTDownload : Can't finf file " + missing));
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_1 : Problème: connexion FTP - getparams."));
    const std::string empty = tree.WriteFile("empty.bin", "").string();
    download::GetFTPAccessParams(ctx, empty, user, 128, password, 128);
    EXPECT_TRUE(Logged("WARNING KTDownload : Can't read file " + empty));
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_2 : Problème: connexion FTP - readfile."));
    EXPECT_EQ(user + "/" + password, "old/old");
}

}  // namespace
}  // namespace kt::test
