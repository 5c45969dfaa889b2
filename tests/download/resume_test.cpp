// A package cut by an earlier run, continued or started again; a damaged one refused.
#include <sys/stat.h>

#include "download/resume_stamp.h"
#include "download/transfers.h"
#include "download_fixture.h"
#include "support/test_authority.h"

namespace kt::test {
namespace {

// A kept stamp resumes the same file of known size and date (the epoch is one), nothing else.
TEST(ResumeStampTest, OnlyTheSameKnownServerFileIsResumed) {
    TempTree tree;
    const std::string part = tree.WriteFile("p.exe", "1234").string();
    for (const auto& [stamp, bytes] : {std::pair<download::ServerFileStamp, std::uint64_t>{{10, 0}, 4}, {{10, -1}, 0}, {{4, 7}, 0}})
        EXPECT_TRUE(download::KeepStamp(part, stamp) && download::ResumableBytes(part, stamp) == bytes) << stamp.time;
}

constexpr std::uint64_t kPackSize = 256 * 1024;
constexpr std::uint64_t kCut = kPackSize / 2;
// A continued file is asked again from this far before the cut.
constexpr std::uint64_t kOverlap = 64 * 1024;

struct stat Stat(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

class ResumeTest : public DownloadTest {
protected:
    ResumeTest() { ctx.postalCode.clear(); }

    fs::path Partial() const { return UpdatePath("Temp") / "sesam_pack.exe"; }
    fs::path Ready() const { return UpdatePath("Update") / "sesam_pack.exe"; }
    fs::path ServerPack() const { return server->Root() / "maj/sesam/sesam_pack.exe"; }
};

TEST_F(ResumeTest, ACutPackageIsContinuedOnlyWhenTheServerFileIsTheSameAndAllowsIt) {
    // The server, whether its file's date changes between the runs, what it sends the second time.
    struct Case {
        const char* name;
        UpdateServer::Options server;
        bool touchServerFile;
        std::uint64_t secondRead;
    };
    // Without the catalogue's size and digest, only the bytes asked again tell the server started over.
    for (Case c : {Case{"same file", {}, false, kPackSize - kCut + kOverlap},
                   Case{"REST refused", {.refuseRest = true}, false, kPackSize},
                   Case{"server file changed", {}, true, kPackSize},
                   Case{"REST ignored", {.ignoreRest = true, .digests = false}, false, kPackSize}}) {
        SCOPED_TRACE(c.name);
        Fresh();
        // The user cancels the first run while the server holds back the second half of the pack.
        c.server.packSize = kPackSize, c.server.stall[kPack] = kCut;
        StartServer(c.server);
        UseScript("message 1062 -> yes\ndialog 130: wait 1024 128; sleep 300; click 2");
        ASSERT_EQ(Run(), hostsuite::kIdCancel);
        ASSERT_EQ(fs::file_size(Partial()), kCut);
        UseScript("");
        const ino_t partial = Stat(Partial()).st_ino;
        if (c.touchServerFile) fs::last_write_time(ServerPack(), fs::last_write_time(ServerPack()) - std::chrono::hours(1));
        const std::size_t logBefore = server->Log().size();

        EXPECT_EQ((std::pair{Run(), attempts}), std::pair(hostsuite::kIdOk, Attempts{download::kTransferDone}));
        EXPECT_TRUE(ReadFile(Ready()) == ReadFile(ServerPack()));
        // Each byte was fetched and written once: the bytes the server sent for the pack this time.
        std::vector<std::uint64_t> reads;
        const std::string log = server->Log().substr(logBefore), retr = "[talvo] RETR " + ServerPack().string() + " completed=1 bytes=";
        for (auto at = log.find(retr); at != std::string::npos; at = log.find(retr, at + 1)) reads.push_back(std::stoull(log.substr(at + retr.size())));
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads.back(), c.secondRead);
        // With REST ignored, whether the server saw the first read end depends on timing.
        EXPECT_TRUE(c.server.ignoreRest || reads.size() == 1u) << reads.size();
        EXPECT_EQ(Stat(Ready()).st_ino, partial);
        EXPECT_TRUE(fs::is_empty(UpdatePath("Temp")));
    }
}

TEST_F(ResumeTest, APackageWhoseDigestDiffersIsRefusedEachTimeAndNeverRecorded) {
    StartServer();
    std::string damaged = ReadFile(ServerPack());
    damaged[damaged.size() / 2] ^= 0x55;
    std::ofstream(ServerPack(), std::ios::binary | std::ios::trunc) << damaged;

    EXPECT_EQ((std::pair{Run(), attempts}), std::pair(hostsuite::kIdCancel, Attempts{download::kTransferFailed}));
    EXPECT_FALSE(fs::exists(Partial()) || fs::exists(Ready()) || fs::exists(UpdatePath("files.xml")));
    EXPECT_TRUE(Logged("WARNING KTDownload : Wrong SHA-256 for file " + Partial().string() + " : File deleted"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_19 : Problème: empreinte differente."));
}

// Half the pack kept, with the stamp of the server file it comes from.
TEST_F(ResumeTest, AHalfFetchedHttpsPackageIsContinuedWhenTheServerCan) {
    TestAuthority authority;
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "the server sends whole files" : "the server continues files");
        Fresh();
        StartServer({.packSize = kPackSize, .protocol = "https", .certificate = authority.ServerCertificate(), .key = authority.ServerKey(),
                     .refuseRest = whole});
        ASSERT_EQ(config::SetNodeData(AppId(), "Update", "Tls", nullptr, "CAFile", authority.Certificate().c_str()), 1);
        fs::create_directories(UpdatePath("Temp"));
        std::ofstream(Partial(), std::ios::binary) << ReadFile(ServerPack()).substr(0, kCut);
        std::ofstream(Partial().string() + ".ktresume") << kPackSize << " " << Stat(ServerPack()).st_mtime << "\n";

        EXPECT_EQ(Run(), hostsuite::kIdOk);
        EXPECT_TRUE(ReadFile(Ready()) == ReadFile(ServerPack()));
        EXPECT_EQ(Logged("INFO KTDownload : " + std::string(kPack) + " : the server can't continue the file, download starts again"), whole);
        EXPECT_EQ(server->Log().find("\" 206 ") != std::string::npos, !whole) << server->Log();
    }
}

}  // namespace
}  // namespace kt::test
