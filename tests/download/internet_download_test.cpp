// The server's access file, its common folder and the split folder of the postal code.
#include <cstdlib>

#include "download/ftp_access.h"
#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/machine_values.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace download;
using Attempts = std::vector<unsigned>;
using InternetDownloadTest = DownloadTest;

platform::MachineValue FailCount() { return platform::MachineValue("Software/Talvo/Talvo", "FailCount"); }
std::string NoServer() { return "ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/"; }

// A package or its folder missing from the common folder fails that attempt
// (0 or 6); the split folder has it; without one the dialog ends.
TEST_F(InternetDownloadTest, AMissingPackageOrFolderSendsToTheSplitFolder) {
    const struct {
        const char* removed;
        const char* postalCode;
        Attempts attempts;
        const char* warning;
    } rows[] = {
        {"5.3.0/talvo_5.2.1_5.3.0.exe", "77120", {kTransferFailed, kTransferDone},
         "can't find file : /maj/5.3.0/talvo_5.2.1_5.3.0.exe"},
        {"5.3.0", "77120", {kNoFileNorFolder, kTransferDone}, "can't find directory : /maj/5.3.0"},
        {"5.3.0", "77", {kNoFileNorFolder}, "can't find directory : /maj/5.3.0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.removed) + " " + row.postalCode);
        Fresh();
        ctx.postalCode = row.postalCode;
        StartServer();
        fs::remove_all(server->Root() / "maj" / row.removed);
        // The first address answers nothing: the connection check takes the next.
        ctx.serverUrls = {NoServer(), server->BaseUrl()};
        ASSERT_TRUE(FailCount().WriteDword(3));
        EXPECT_EQ(Run(), row.attempts.back() == kTransferDone ? hostsuite::kIdOk : hostsuite::kIdCancel);
        EXPECT_EQ(attempts, row.attempts);
        EXPECT_TRUE(Logged(std::string("WARNING KTDownload : Error with FTP connexion : ") + row.warning));
        EXPECT_TRUE(Journaled("MJ_DWL_DU_11 : Problème: connexion FTP - find."));
        // A clean end, or an end for want of a split folder, is no failed run.
        EXPECT_EQ(FailCount().ReadDword(), 0u);
        if (row.attempts.size() == 1) continue;
        // The second attempt wrote the package afresh over the first attempt's file.
        EXPECT_EQ(ReadFile(UpdatePath("Update") / "talvo_5.2.1_5.3.0.exe"),
                  ReadFile(server->Root() / "maj77" / "5.3.0" / "talvo_5.2.1_5.3.0.exe"));
    }
}

TEST_F(DownloadTest, AMissingLocalPackageStopsTheCopy) {
    const std::string name = UpdateServer::StepFile("5.2.0", "5.2.1");
    const std::string folder = WriteSource({{"5.2.1", name}});
    fs::remove(fs::path(folder) / "5.2.1" / name);
    EXPECT_EQ(Run(SourceMode::kLocal, folder), hostsuite::kIdCancel);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with("message id=1022 ")) << Messages()[0];
}

// Damaged files are replayed by the fuzz harness: a length byte of 0x80 or more
// ends the file; values are cut to the characters asked for, never inside one.
TEST(FtpAccessTest, ANegativeLengthEndsTheFileAndValuesAreCutToWholeCharacters) {
    std::string negative = ScrambleFtpAccess({"talvo", "secret"});
    negative[6] = static_cast<char>(0xF0);
    EXPECT_EQ(UnscrambleFtpAccess(negative).user + "/" + UnscrambleFtpAccess(negative).password, "talvo/");
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({"éééé", "x"}), 3).user, "ééé");
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
