// A package cut by an earlier run is continued from where it stopped, when
// the server still has the same file and lets it be continued; the digest the
// catalogue gives refuses a package that arrives damaged.
#include <sys/stat.h>

#include <fstream>

#include "download/transfers.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using Attempts = std::vector<unsigned>;

constexpr const char* kPack = "/maj/sesam/sesam_pack.exe";
constexpr std::uint64_t kPackSize = 256 * 1024;
constexpr std::uint64_t kCut = kPackSize / 2;
// A continued file is asked again from this far before the cut.
constexpr std::uint64_t kOverlap = 64 * 1024;

ino_t Inode(const fs::path& path) { struct stat info {}; return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0; }

class ResumeTest : public DownloadTest {
protected:
    ResumeTest() { ctx.postalCode.clear(); }

    fs::path Partial() const { return UpdatePath("Temp") / "sesam_pack.exe"; }
    fs::path Ready() const { return UpdatePath("Update") / "sesam_pack.exe"; }
    fs::path ServerPack() const { return server->Root() / "maj/sesam/sesam_pack.exe"; }

    // The first run is cut halfway through the Sesam pack: the user cancels
    // while the server holds the rest back.
    void CutHalfway(UpdateServer::Options options) {
        options.packSize = kPackSize;
        options.stall[kPack] = kCut;
        StartServer(options);
        UseScript("message 1062 -> yes\ndialog 130: wait 1024 128; sleep 300; click 2");
        ASSERT_EQ(Run(), hostsuite::kIdCancel);
        ASSERT_EQ(fs::file_size(Partial()), kCut);
        UseScript("");
    }

    // The bytes the server sent for the pack since `from` in its log.
    std::vector<std::uint64_t> PackReads(std::size_t from) const {
        std::vector<std::uint64_t> reads;
        const std::string log = server->Log().substr(from);
        const std::string retr = "[talvo] RETR " + ServerPack().string() + " completed=1 bytes=";
        for (auto at = log.find(retr); at != std::string::npos; at = log.find(retr, at + 1)) {
            reads.push_back(std::stoull(log.substr(at + retr.size())));
        }
        return reads;
    }
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
    for (const Case& c : {Case{"same file", {}, false, kPackSize - kCut + kOverlap},
                          Case{"REST refused", {.refuseRest = true}, false, kPackSize},
                          Case{"server file changed", {}, true, kPackSize},
                          Case{"REST ignored", {.ignoreRest = true, .digests = false}, false, kPackSize}}) {
        SCOPED_TRACE(c.name);
        Fresh();
        CutHalfway(c.server);
        const ino_t partial = Inode(Partial());
        if (c.touchServerFile) fs::last_write_time(ServerPack(), fs::last_write_time(ServerPack()) - std::chrono::hours(1));
        const std::size_t logBefore = server->Log().size();

        EXPECT_EQ((std::pair{Run(), attempts}), std::pair(hostsuite::kIdOk, Attempts{download::kTransferDone}));
        EXPECT_TRUE(ReadFile(Ready()) == ReadFile(ServerPack()));
        // Each byte was fetched and written once: the package moved into Update as the file it was in Temp.
        const std::vector<std::uint64_t> reads = PackReads(logBefore);
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads.back(), c.secondRead);
        // An ignored REST shows in the bytes asked again, and the file is asked
        // whole once more; whether the server saw the first read end depends on timing.
        EXPECT_TRUE(c.server.ignoreRest || reads.size() == 1u) << reads.size();
        EXPECT_EQ(Inode(Ready()), partial);
        EXPECT_TRUE(fs::is_empty(UpdatePath("Temp")));
    }
}

TEST_F(ResumeTest, APackageWhoseDigestDiffersIsRefusedEachTimeAndNeverRecorded) {
    StartServer();
    // Damaged on the server: same size, other bytes.
    std::string damaged = ReadFile(ServerPack());
    damaged[damaged.size() / 2] ^= 0x55;
    std::ofstream(ServerPack(), std::ios::binary | std::ios::trunc) << damaged;

    EXPECT_EQ((std::pair{Run(), attempts}), std::pair(hostsuite::kIdCancel, Attempts{download::kTransferFailed}));
    EXPECT_FALSE(fs::exists(Partial()) || fs::exists(Ready()) || fs::exists(UpdatePath("files.xml")));
    EXPECT_TRUE(Logged("WARNING KTDownload : Wrong SHA-256 for file " + Partial().string() + " : File deleted"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU_19 : Problème: empreinte differente."));

    // A catalogue of the older kind, without digests, takes the same package as it comes.
    StartServer({.digests = false});
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_TRUE(ReadFile(Ready()) == ReadFile(ServerPack()));
}

}  // namespace
}  // namespace kt::test
