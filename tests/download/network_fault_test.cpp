// What the server gives or withholds: its access file, a package or folder, whole files.

#include "download/ftp_access.h"
#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/curl_pull.h"
#include "platform/machine_values.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

using namespace download;

TEST_F(DownloadTest, AMissingPackageOrFolderSendsToTheSplitFolder) {
    const platform::MachineValue failCount("Software/Talvo/Talvo", "FailCount");
    for (const auto& [removed, postalCode, want] : {std::tuple{"5.3.0/talvo_5.2.1_5.3.0.exe", "77120", Attempts{kTransferFailed, kTransferDone}},
                                                    {"5.3.0", "77120", Attempts{kNoFileNorFolder, kTransferDone}},
                                                    {"5.3.0", "77", Attempts{kNoFileNorFolder}}}) {
        SCOPED_TRACE(std::string(removed) + " " + postalCode);
        Fresh();
        ctx.postalCode = postalCode;
        StartServer();
        fs::remove_all(server->Root() / "maj" / removed);
        // The first address answers nothing: the connection check takes the next.
        ctx.serverUrls = {"ftp://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/maj/", server->BaseUrl()};
        ASSERT_TRUE(failCount.WriteDword(3));
        EXPECT_EQ(Run(), want.back() == kTransferDone ? hostsuite::kIdOk : hostsuite::kIdCancel);
        EXPECT_EQ(attempts, want);
        EXPECT_TRUE(Logged(std::string("WARNING KTDownload : Error with FTP connexion : can't find ") +
                           (std::string(removed).ends_with(".exe") ? "file" : "directory") + " : /maj/" + removed));
        EXPECT_TRUE(Journaled("MJ_DWL_DU_11 : Problème: connexion FTP - find."));
        EXPECT_EQ(failCount.ReadDword(), 0u);
        // The second attempt wrote the package afresh over the first attempt's file.
        EXPECT_TRUE(want.size() == 1 || ReadFile(UpdatePath("Update") / "talvo_5.2.1_5.3.0.exe") ==
                                            ReadFile(server->Root() / "maj77" / "5.3.0" / "talvo_5.2.1_5.3.0.exe"));
    }
}

// A length byte of 0x80 or more ends the file.
TEST_F(DownloadTest, TheAccessFileGivesWholeCharactersAndABadOneLeavesTheValues) {
    EXPECT_EQ(UnscrambleFtpAccess(ScrambleFtpAccess({"éééé", "x"}), 3).user, "ééé");
    std::string negative = ScrambleFtpAccess({"talvo", "secret"});
    negative[6] = static_cast<char>(0xF0);
    EXPECT_EQ(UnscrambleFtpAccess(negative).user + "/" + UnscrambleFtpAccess(negative).password, "talvo/");
    std::string user = "old", password = "old";
    GetFTPAccessParams(ctx, (tree / "absent.bin").string(), user, 128, password, 128);
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_1 : Problème: connexion FTP - getparams."));
    GetFTPAccessParams(ctx, tree.WriteFile("empty.bin", "").string(), user, 128, password, 128);
    EXPECT_TRUE(Journaled("MJ_DWL_GFAP_2 : Problème: connexion FTP - readfile."));
    EXPECT_EQ(user + "/" + password, "old/old");
}

constexpr const char* kWrongSize = "MJ_DWL_DU_15 : Problème: taille differente.";
constexpr const char* kReadError = "WARNING KTDownload : Read error during download";

// The incomplete package is neither moved to Update/ nor recorded; a part left in Temp/ is the next attempt's business.
TEST_F(DownloadTest, EveryFaultFailsTheRunQuicklyAndKeepsNoIncompletePackage) {
    ctx.postalCode.clear();
    platform::CurlPull::SetStallLimit(2s);
    struct Restore { ~Restore() { platform::CurlPull::SetStallLimit(platform::CurlPull::kStallLimit); } } restore;
    const std::string wrongSize = "WARNING KTDownload : Wrong size for file ";
    const struct {
        const char* name;
        void (*apply)(UpdateServer::Options&);
        std::vector<std::string> logged;  // from the first words on
        std::string journaled;            // "": the package arrives whole
    } faults[] = {
        // A longer file than announced is kept.
        {"SIZE announces less", [](UpdateServer::Options& o) { o.announce[kPack] = o.packSize - 100; }, {}, ""},
        {"cut at size-1", [](UpdateServer::Options& o) { o.cut[kPack] = o.packSize - 1; },
         {wrongSize + (UpdatePath("Temp") / "sesam_pack.exe").string() + " : File deleted"}, kWrongSize},
        {"reset mid-package", [](UpdateServer::Options& o) { o.reset[kPack] = o.packSize / 2; }, {kReadError, wrongSize}, kWrongSize},
        {"stalled data connection", [](UpdateServer::Options& o) { o.stall[kPack] = 4096; }, {kReadError, wrongSize}, kWrongSize},
        {"421 on SIZE", [](UpdateServer::Options& o) { o.replies["SIZE sesam_pack.exe"] = 421; },
         {"WARNING KTDownload : Error with FTP connexion"}, "MJ_DWL_DU_10 : Problème: connexion FTP - connexion."},
        // A transient error on SIZE only withholds the size: RETR's own end tells the package is whole.
        {"450 on SIZE", [](UpdateServer::Options& o) { o.replies["SIZE sesam_pack.exe"] = 450; }, {}, ""},
        {"421 on RETR", [](UpdateServer::Options& o) { o.replies["RETR sesam_pack.exe"] = 421; }, {kReadError, wrongSize},
         "MJ_DWL_DU_14 : Problème: lecture."},
        {"endless catalogue", [](UpdateServer::Options& o) { o.endless.push_back("/maj/versions.xml"); },
         {"WARNING KTDownload : /maj/versions.xml exceeds the catalogue limit (16777216 bytes)", wrongSize}, kWrongSize},
        {"package far longer than announced", [](UpdateServer::Options& o) { o.packSize = (1u << 20) + 4096, o.announce[kPack] = 1024; },
         {"WARNING KTDownload : /maj/sesam/sesam_pack.exe exceeds twice the announced size plus 1 MiB (1050624 bytes)", wrongSize}, kWrongSize},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        Fresh();
        UpdateServer::Options options;
        fault.apply(options);
        StartServer(options);
        const std::size_t logFrom = Log().size();
        const bool whole = fault.journaled.empty();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(), whole ? hostsuite::kIdOk : hostsuite::kIdCancel);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        std::string log = "\n";
        for (const Strings all = Log(); const std::string& line : std::vector(all.begin() + logFrom, all.end())) log += line + "\n";
        for (const std::string& line : fault.logged) EXPECT_NE(log.find("\n" + line), std::string::npos) << line;
        EXPECT_EQ(ReadFile(UpdatePath("files.xml")).find("sesam_pack.exe") != std::string::npos, whole);
        EXPECT_EQ(ReadFile(UpdatePath("Update") / "sesam_pack.exe"), whole ? ReadFile(server->Root() / "maj/sesam/sesam_pack.exe") : "");
        if (whole) continue;
        EXPECT_TRUE(Journaled(fault.journaled)) << ::testing::PrintToString(Journal());
        // A short file is deleted; one cut by a read error stays for the next attempt to continue.
        EXPECT_FALSE(fault.logged.at(0).starts_with(wrongSize) && fs::exists(UpdatePath("Temp") / "sesam_pack.exe"));
    }
}

}  // namespace
}  // namespace kt::test
