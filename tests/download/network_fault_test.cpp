// A server that misbehaves on the Sesam pack or the catalogue: every fault
// ends the dialog quickly with a failure in the log and the journal, and the
// incomplete package is neither moved to Update/ nor recorded (a part left in
// Temp/ is the next attempt's business).
#include <chrono>

#include "download/transfers.h"
#include "download_fixture.h"
#include "platform/curl_pull.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kPack = "/maj/sesam/sesam_pack.exe";
constexpr const char* kWrongSize = "MJ_DWL_DU_15 : Problème: taille differente.";
constexpr const char* kReadError = "WARNING KTDownload : Read error during download";
constexpr const char* kReadFailed = "MJ_DWL_DU_14 : Problème: lecture.";

// Log lines, from the first words on; the journal line (kWhole when the package arrives whole).
struct Fault {
    const char* name;
    void (*apply)(UpdateServer::Options&);
    std::vector<std::string> logged;
    std::string journaled;
};
const std::string kWhole;

class NetworkFaultTest : public DownloadTest {
protected:
    ~NetworkFaultTest() override { platform::CurlPull::SetStallLimit(platform::CurlPull::kStallLimit); }

    bool PackRecorded() const { return ReadFile(UpdatePath("files.xml")).find("sesam_pack.exe") != std::string::npos; }
};

TEST_F(NetworkFaultTest, EveryFaultFailsTheRunQuicklyAndKeepsNoIncompletePackage) {
    ctx.postalCode.clear();
    platform::CurlPull::SetStallLimit(2s);
    const std::string wrongSize = "WARNING KTDownload : Wrong size for file ";
    const std::vector<Fault> faults = {
        {"SIZE announces more", [](UpdateServer::Options& o) { o.announce[kPack] = o.packSize + 100; },
         {wrongSize + (UpdatePath("Temp") / "sesam_pack.exe").string() + " : File deleted"}, kWrongSize},
        // A longer file than announced is kept.
        {"SIZE announces less", [](UpdateServer::Options& o) { o.announce[kPack] = o.packSize - 100; }, {}, kWhole},
        {"cut at size-1", [](UpdateServer::Options& o) { o.cut[kPack] = o.packSize - 1; }, {wrongSize}, kWrongSize},
        {"reset mid-package", [](UpdateServer::Options& o) { o.reset[kPack] = o.packSize / 2; },
         {kReadError, wrongSize}, kWrongSize},
        {"stalled data connection", [](UpdateServer::Options& o) { o.stall[kPack] = 4096; },
         {kReadError, wrongSize}, kWrongSize},
        // The connection check logs in first: it finds no server.
        {"421 on login", [](UpdateServer::Options& o) { o.replies["PASS"] = 421; }, {"WARNING Check internet connexion : error"},
         "MJ_DWL_DU_0 : Problème: connexion."},
        {"421 on SIZE", [](UpdateServer::Options& o) { o.replies["SIZE sesam_pack.exe"] = 421; },
         {"WARNING KTDownload : Error with FTP connexion"}, "MJ_DWL_DU_10 : Problème: connexion FTP - connexion."},
        // A transient error on SIZE only withholds the size: RETR's own end tells the package is whole.
        {"450 on SIZE", [](UpdateServer::Options& o) { o.replies["SIZE sesam_pack.exe"] = 450; }, {}, kWhole},
        // RETR's answer comes with the first read.
        {"421 on RETR", [](UpdateServer::Options& o) { o.replies["RETR sesam_pack.exe"] = 421; },
         {kReadError, wrongSize}, kReadFailed},
        {"endless catalogue", [](UpdateServer::Options& o) { o.endless.push_back("/maj/versions.xml"); },
         {"WARNING KTDownload : /maj/versions.xml exceeds the catalogue limit (16777216 bytes)", wrongSize},
         kWrongSize},
        {"package far longer than announced", [](UpdateServer::Options& o) { o.packSize = (1u << 20) + 4096, o.announce[kPack] = 1024; },
         {"WARNING KTDownload : /maj/sesam/sesam_pack.exe exceeds twice the announced size plus 1 MiB (1050624 bytes)",
          wrongSize},
         kWrongSize},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        Fresh();
        UpdateServer::Options options;
        fault.apply(options);
        StartServer(options);
        const std::size_t logFrom = Log().size();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(), fault.journaled == kWhole ? hostsuite::kIdOk : hostsuite::kIdCancel);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        std::string log = "\n";
        for (const Strings all = Log(); const std::string& line : std::vector(all.begin() + logFrom, all.end())) log += line + "\n";
        for (const std::string& line : fault.logged) EXPECT_NE(log.find("\n" + line), std::string::npos) << line;
        if (fault.journaled == kWhole) {
            EXPECT_EQ(ReadFile(UpdatePath("Update") / "sesam_pack.exe"), ReadFile(server->Root() / "maj/sesam/sesam_pack.exe"));
            EXPECT_TRUE(PackRecorded());
            continue;
        }
        EXPECT_TRUE(Journaled(fault.journaled)) << ::testing::PrintToString(Journal());
        EXPECT_FALSE(PackRecorded());
        EXPECT_FALSE(fs::exists(UpdatePath("Update") / "sesam_pack.exe"));
        // A short file is deleted; one cut by a read error stays for the next attempt to continue.
        if (fault.logged.at(0).starts_with(wrongSize)) {
            EXPECT_FALSE(fs::exists(UpdatePath("Temp") / "sesam_pack.exe"));
        }
    }
}

}  // namespace
}  // namespace kt::test
