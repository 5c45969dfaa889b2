// A package left half-fetched from an HTTPS server is continued with a Range
// request while the server still has the same file; a server that answers
// with the whole file has it fetched from its start. Either way the package
// ends as the server's.
#include <sys/stat.h>

#include "download_fixture.h"
#include "support/test_authority.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

TEST_F(DownloadTest, AHalfFetchedHttpsPackageIsContinuedWhenTheServerCan) {
    TestAuthority authority;
    ctx.postalCode.clear();
    const std::string name = "talvo_5.2.0_5.2.1.exe";
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "the server sends whole files" : "the server continues files");
        Fresh();
        StartServer({.packageSize = 512 * 1024, .protocol = "https", .certificate = authority.ServerCertificate(),
                     .key = authority.ServerKey(), .refuseRest = whole});
        ASSERT_EQ(config::SetNodeData(AppId(), "Update", "Tls", nullptr, "CAFile", authority.Certificate().c_str()), 1);
        const fs::path source = server->Root() / "maj" / "5.2.1" / name;
        const std::string content = ReadFile(source);
        struct stat info {};
        ASSERT_EQ(::stat(source.c_str(), &info), 0);
        const std::size_t kept = content.size() / 2;
        fs::create_directories(UpdatePath("Temp"));
        std::ofstream(UpdatePath("Temp") / name, std::ios::binary) << content.substr(0, kept);
        std::ofstream(UpdatePath("Temp") / (name + ".ktresume")) << content.size() << " " << info.st_mtime << "\n";

        EXPECT_EQ(Run(), hostsuite::kIdOk);
        EXPECT_TRUE(PackagesArrived());
        const std::string object = "KTDownload : /maj/5.2.1/" + name;
        EXPECT_TRUE(Logged("INFO " + object + " : continued after " + std::to_string(kept) + " bytes"));
        EXPECT_EQ(Logged("INFO " + object + " : the server can't continue the file, download starts again"), whole);
        // The kept half less the overlap that is checked is not asked again.
        EXPECT_EQ(server->Log().find("\" 206 ") != std::string::npos, !whole) << server->Log();
    }
}

}  // namespace
}  // namespace kt::test
