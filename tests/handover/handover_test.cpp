// The installer's side of the hand-over beyond what the installer stand-in shows in every
// run: what the library refuses, where it looks, and its command-line tool.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "kthandover.h"
#include "platform/named_event.h"
#include "platform/shared_memory.h"
#include "support/temp_tree.h"
#include "update/installer_record.h"

namespace kt::test {
namespace {

using namespace std::chrono_literals;
using platform::NamedEvent;

// The module's side: publishes a record as the hand-over does.
std::unique_ptr<platform::SharedMemory> Publish() {
    const update::InstallerRecord record{update::kUninstallMode, 4000000000u, "Talvo é", "/opt/Talvo", "/srv/data/UpdateInfo",
                                         "/srv/data", 0xFFFFFFFFu, "/opt/Talvo/talvo", 1, -7, nullptr};
    auto block = platform::SharedMemory::Create(update::kInstallerParamsName, update::kInstallerRecordSize);
    if (block) update::WriteInstallerRecord(block->Data(), record);
    return block;
}

// A buffer too small, a number read as text, a missing or short record are refused;
// without KT_RUNTIME_DIR the library looks where the module publishes.
TEST(HandoverTest, RefusesWhatDoesNotFitAndFindsTheRecordUnderXdgRuntimeDir) {
    TempTree tree;
    {
        const auto block = Publish();
        using platform::SharedMemory;
        EXPECT_TRUE(SharedMemory::Open(update::kInstallerParamsName, update::kInstallerRecordSize) &&
                    !SharedMemory::Open(update::kInstallerParamsName, update::kInstallerRecordSize + 1));
        kthandover_record* record = kthandover_open();
        ASSERT_NE(record, nullptr);
        char small[4];
        EXPECT_EQ(kthandover_text(record, KTHANDOVER_APP_DIR, small, sizeof small), -1);
        EXPECT_EQ(kthandover_text(record, KTHANDOVER_MODE, small, sizeof small), -1);
        kthandover_close(record);
    }
    for (const auto& [content, error] : {std::pair{std::string(), ENOENT}, {std::string(update::kInstallerRecordSize - 1, '\0'), EBADMSG}}) {
        std::remove(platform::SharedMemory::PathOf(update::kInstallerParamsName).c_str());
        if (!content.empty()) tree.WriteFile("run/shm.KTShared_Params", content);
        errno = 0;
        EXPECT_EQ(kthandover_open(), nullptr);
        EXPECT_EQ(errno, error);
    }
    const std::string runtimeDir = std::getenv("KT_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", tree.MakeDir("xdg/ktupdate").parent_path().c_str(), 1);
    chmod((tree / "xdg/ktupdate").c_str(), 0700);
    unsetenv("KT_RUNTIME_DIR");
    const auto block = Publish();
    kthandover_record* record = kthandover_open();
    setenv("KT_RUNTIME_DIR", runtimeDir.c_str(), 1);
    ASSERT_TRUE(block);
    EXPECT_NE(record, nullptr);
    kthandover_close(record);
}

// The tool prints what the library reads, and signals the start only while the module waits.
TEST(HandoverTest, ToolPrintsFieldsAndSignals) {
    TempTree tree;
    const auto tool = [](const std::string& arguments) {
        FILE* pipe = popen((std::string(KTHANDOVER_TOOL) + " " + arguments + " 2>/dev/null").c_str(), "r");
        std::string output;
        char buffer[512];
        for (std::size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        const int status = pipe == nullptr ? -1 : pclose(pipe);
        return std::pair{WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    };
    const std::string shown = "mode=1\nhost_process_id=4000000000\ntitle=Talvo é\napp_dir=/opt/Talvo\nupdate_dir=/srv/data/UpdateInfo\n"
                              "data_dir=/srv/data\nowner_window=4294967295\nhost_program=/opt/Talvo/talvo\nfirst_argument=1\n"
                              "second_argument=-7\nsesam_pending=0\nspare=0\n";
    const std::tuple<const char*, bool, std::pair<int, std::string>> cases[] = {
        {"get second_argument", true, {0, "-7\n"}}, {"show", true, {0, shown}}, {"show", false, {1, ""}},
        {"get nonsense", true, {2, ""}}, {"signal", false, {1, ""}}, {"", false, {2, ""}},
    };
    for (const auto& [arguments, published, run] : cases) {
        const auto block = published ? Publish() : nullptr;
        EXPECT_EQ(tool(arguments), run) << arguments;
    }
    auto started = NamedEvent::Create(update::kInstallerStartedEventName, true, false);
    ASSERT_TRUE(started);
    EXPECT_EQ(tool("signal").first, 0);
    EXPECT_TRUE(started->Wait(0ms));
}

}  // namespace
}  // namespace kt::test
