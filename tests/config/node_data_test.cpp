// Reading and writing single values of the module's XML files; a write
// replaces the file whole or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/workstation.h"

namespace kt::config {
namespace {

using test::ReadFile;
using NodeDataTest = test::ConfiguredWorkstation;

TEST_F(NodeDataTest, ReadsTheFirstElementOfItsNameUnderItsDirectParent) {
    EXPECT_EQ(Read(AppId(), "Workstation", "Proxy", "Address"), std::nullopt) << "Proxy is no direct child";
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Address"), "");
    EXPECT_EQ(Read(AppId(), nullptr, "Proxy", "UseIE"), "1");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "NoSuchAttribute"), "") << "a missing attribute reads as empty";
    EXPECT_EQ(Read(AppId(), "Workstation", "NoSuchElement"), std::nullopt);
    std::string text;
    std::string compat;
    ASSERT_EQ(GetNodeData(AppId(), "Workstation", "Version", &text, 50, "CompatVersion", &compat, 50), 1);
    EXPECT_EQ(text + " " + compat, "5.2.0 5.2.0");

    WriteAppId("<Workstation><A><Item>deep</Item></A><Item>late</Item></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Item"), "deep");
    EXPECT_EQ(Read(AppId(), "Workstation", "Item"), std::nullopt) << "the first Item is not a direct child";
}

TEST_F(NodeDataTest, ReadsAreCutBetweenCharacters) {
    ASSERT_EQ(SetNodeData(AppId(), "Update", "Proxy", nullptr, "Login", "élève-ßü"), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 4), "élèv");
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 8), "élève-ßü");
    // 8-bit text left by older versions: one character per byte.
    WriteAppId("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Workstation><Folder>caf\xe9 cr\xe8me</Folder></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Folder", nullptr, 6), "caf\xe9 c");
}

TEST_F(NodeDataTest, WritesInPlaceAndAppendsWhatIsMissing) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Configured", "1"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "History", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(SetNodeData(AppId(), "History", "Item", "5.2.0", "Date", "4.12.2026"), 1);
    EXPECT_EQ(SetNodeData(AppId(), "NoParent", "Item", "x", nullptr, nullptr), 0);
    EXPECT_NE(ReadFile(AppId()).find("\t</Update>\n\t<History>\n\t\t<Item Date=\"4.12.2026\">5.2.0</Item>\n\t</History>\n"),
              std::string::npos);
    EXPECT_EQ(Read(AppId(), "Workstation", "Update", "Configured"), "1");

    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Network", nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "Update", "Network"), "") << "an absent value writes an empty one";
    // Update holds Proxy: giving it a text must not lose the proxy settings.
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", "note", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "UseIE"), "1");

    // Several values in one replacement: one without a place is left out, the others are written.
    EXPECT_EQ(SetNodeValues(AppId(), {{"Update", "Proxy", "Port", "3128"},
                                      {"NoParent", "Item", "A", "x"},
                                      {"Workstation", "Schedule", "Time", "09:30"}}),
              0);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Port"), "3128");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "Time"), "09:30");

    // A text split around a comment: the new text replaces all of it and reads back whole.
    WriteAppId("<Workstation><LastUpdate>1.1<!-- edited -->.2020<Item/>5</LastUpdate></Workstation>");
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(AppId(), "LastUpdate", "Item"), "");
}

TEST_F(NodeDataTest, WriteKeepsTheFormatAndThePermissions) {
    WriteAppId("<Workstation><LastUpdate>1.1.2026</LastUpdate></Workstation>");
    ASSERT_EQ(chmod(AppId().c_str(), 0640), 0);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(ReadFile(AppId()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation>\n"
                                 "\t<LastUpdate>6.12.2026</LastUpdate>\n</Workstation>\n");
    EXPECT_EQ(std::filesystem::status(AppId()).permissions(), static_cast<std::filesystem::perms>(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ctx.appDir), {}), 1) << "no temporary file left";
}

TEST_F(NodeDataTest, MissingOrBrokenFileIsNeitherReadNorWritten) {
    const std::string absent = ctx.appDir + "absent.xml";
    EXPECT_EQ(Read(absent, "Update", "Proxy", "Pass"), std::nullopt);
    EXPECT_TRUE(Logged("WARNING No file " + absent + " in search for parent = Update, node = Proxy, attribut = Pass"));
    EXPECT_EQ(SetNodeData(absent, "Update", "Proxy", nullptr, "Pass", "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(absent));

    const std::string broken = "<?xml version=\"1.0\"?>\n<Workstation GUID=\"x\">\n\t<Version>5.2";
    WriteAppId(broken);
    EXPECT_EQ(Read(AppId(), nullptr, "Workstation", "GUID"), std::nullopt);
    EXPECT_EQ(SetNodeData(AppId(), nullptr, "Version", "5.3.0", nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(AppId()), broken);
}

TEST_F(NodeDataTest, WriterKilledAtAnyMomentLeavesAWholeFile) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", "5.3.0", nullptr, nullptr), 1);
    const std::string oldFile = ReadFile(AppId());
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", "5.2.0", nullptr, nullptr), 1);
    const std::string newFile = ReadFile(AppId());
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    const std::string appId = AppId();
    for (int kill = 0; kill < 100; ++kill) {
        // The writer alternates the two versions and tells on its output once its first write is done.
        int output[2];
        ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
        const pid_t writer = fork();
        if (writer == 0) {
            dup2(output[1], STDOUT_FILENO);
            execl(KT_APPID_WRITER, KT_APPID_WRITER, appId.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(writer, 0);
        close(output[1]);
        pollfd firstWrite{output[0], POLLIN, 0};
        char byte = 0;
        const bool started = poll(&firstWrite, 1, 10000) == 1 && read(output[0], &byte, 1) == 1;
        close(output[0]);
        if (started) std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(started) << "the writer did not start";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        const std::string content = ReadFile(AppId());
        ASSERT_TRUE(content == oldFile || content == newFile) << "after kill " << kill << ":\n" << content;
    }
}

}  // namespace
}  // namespace kt::config
