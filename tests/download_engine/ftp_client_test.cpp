// The FTP connection of the transfers against a real server: logins,
// finds, reads in the caller's pieces, and stops while the server is silent.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ftp_client.h"
#include "platform/output_file.h"
#include "support/temp_tree.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using platform::FtpClient;
using platform::FtpStatus;
using namespace std::chrono_literals;

platform::InternetSession Direct() {
    platform::InternetSession session;
    session.access = platform::InternetAccess::kDirect;
    return session;
}

class FtpClientTest : public ::testing::Test {
protected:
    FtpClient Client(platform::FtpAccount account = {"talvo", "maj-2026"}) {
        return FtpClient(Direct(), "127.0.0.1", server.Port(), std::move(account));
    }
    UpdateServer server;
};

TEST_F(FtpClientTest, FindsFilesAndFolders) {
    FtpClient ftp(Direct(), "127.0.0.1", server.Port(), {"talvo", "maj-2026"});
    ASSERT_EQ(ftp.Connect({}), FtpStatus::kOk);
    std::int64_t size = 0;
    EXPECT_EQ(ftp.Find(UpdateServer::StepPath("5.2.0", "5.2.1"), size, {}), FtpStatus::kOk);
    EXPECT_EQ(size, 64 * 1024);
    EXPECT_EQ(ftp.Find("/maj/5.2.1/absent.exe", size, {}), FtpStatus::kNotFound);
    EXPECT_EQ(ftp.Find("/maj/9.9.9/absent.exe", size, {}), FtpStatus::kNotFound);
    EXPECT_EQ(ftp.FindDirectory("/maj/5.2.1", {}), FtpStatus::kOk);
    EXPECT_EQ(ftp.FindDirectory("/maj/9.9.9", {}), FtpStatus::kNotFound);
    EXPECT_EQ(ftp.FindDirectory("", {}), FtpStatus::kOk);
    // One login served every command.
    const std::string log = server.Log();
    EXPECT_EQ(log.find("USER talvo"), log.rfind("USER talvo"));

    FtpClient refused(Direct(), "127.0.0.1", server.Port(), {"talvo", "wrong"});
    EXPECT_EQ(refused.Connect({}), FtpStatus::kFailed);
    EXPECT_NE(refused.LastError(), 0);
}

TEST_F(FtpClientTest, ReadsAFileInTheCallersPieces) {
    FtpClient ftp(Direct(), "127.0.0.1", server.Port(), {});
    ftp.OpenFile(UpdateServer::StepPath("5.2.0", "5.2.1"));
    std::string received;
    char buffer[1000];
    for (;;) {
        const platform::FtpRead read = ftp.Read(buffer, sizeof buffer, {});
        ASSERT_EQ(read.status, FtpStatus::kOk);
        ASSERT_LE(read.size, sizeof buffer);
        if (read.size == 0) break;
        received.append(buffer, read.size);
    }
    EXPECT_EQ(received, ReadFile(server.Root() / "maj" / "5.2.1" / UpdateServer::StepFile("5.2.0", "5.2.1")));

    ftp.OpenFile("/maj/5.2.1/absent.exe");
    EXPECT_EQ(ftp.Read(buffer, sizeof buffer, {}).status, FtpStatus::kNotFound);
    // The connection serves the next file after a refusal.
    ftp.OpenFile("/maj/ftpacs.bin");
    EXPECT_EQ(ftp.Read(buffer, sizeof buffer, {}).status, FtpStatus::kOk);
    ftp.CloseFile();
}

TEST(FtpClientStallTest, ASilentServerIsLeftAsSoonAsTheCallerWants) {
    UpdateServer::Options options;
    options.stall["/maj/sesam/sesam_pack.exe"] = 2048;
    UpdateServer server(options);
    FtpClient ftp(Direct(), "127.0.0.1", server.Port(), {});
    ftp.OpenFile("/maj/sesam/sesam_pack.exe");
    char buffer[1024];
    std::size_t received = 0;
    std::atomic<bool> stop{false};
    platform::FtpRead read;
    std::chrono::steady_clock::time_point asked;
    std::thread stopper;
    for (;;) {
        read = ftp.Read(buffer, sizeof buffer, [&] { return stop.load(); });
        if (read.status != FtpStatus::kOk || read.size == 0) break;
        received += read.size;
        if (received == 2048) {
            stopper = std::thread([&] {
                std::this_thread::sleep_for(300ms);
                asked = std::chrono::steady_clock::now();
                stop = true;
            });
        }
    }
    const auto stopped = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_EQ(read.status, FtpStatus::kStopped);
    EXPECT_EQ(received, 2048u);
    EXPECT_LT(stopped - asked, 500ms);
}

TEST(OutputFileTest, WritesThroughItsBufferAndReportsTheDisksErrors) {
    TempTree tree;
    const std::string path = (tree / "package.exe").string();
    platform::OutputFile file;
    ASSERT_FALSE(file.Open(path));
    std::string content;
    for (int i = 0; i < 5000; ++i) content += "piece " + std::to_string(i) + "\n";
    for (std::size_t at = 0; at < content.size(); at += 1024) {
        ASSERT_FALSE(file.Write(content.data() + at, std::min<std::size_t>(1024, content.size() - at)));
    }
    ASSERT_FALSE(file.Close());
    EXPECT_EQ(ReadFile(path), content);
    // Opening again empties it.
    ASSERT_FALSE(file.Open(path));
    ASSERT_FALSE(file.Close());
    EXPECT_EQ(fs::file_size(path), 0u);

    ASSERT_FALSE(file.Open("/dev/full"));
    EXPECT_FALSE(file.Write(content.data(), 1024));
    EXPECT_EQ(file.Close(), std::errc::no_space_on_device);
    EXPECT_TRUE(file.Open((tree / "missing" / "x").string()));
}

}  // namespace
}  // namespace kt::test
