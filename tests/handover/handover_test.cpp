// The installer's side of the hand-over: the library that reads the record
// the module published and signals the start, and its command-line tool.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <thread>

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
    update::InstallerRecord record;
    record.mode = update::kUninstallMode;
    record.hostProcessId = 4000000000u;
    record.title = "Talvo é";
    record.appDir = "/opt/Talvo";
    record.updateDir = "/srv/data/UpdateInfo";
    record.dataDir = "/srv/data";
    record.ownerWindow = 0xFFFFFFFFu;
    record.hostProgram = "/opt/Talvo/talvo";
    record.firstArgument = 1;
    record.secondArgument = -7;
    auto block = platform::SharedMemory::Create(update::kInstallerParamsName, update::kInstallerRecordSize);
    if (block) update::WriteInstallerRecord(block->Data(), record);
    return block;
}

// What the tool prints for "show": every field, as the library reads it.
constexpr const char* kShown =
    "mode=1\nhost_process_id=4000000000\ntitle=Talvo é\napp_dir=/opt/Talvo\nupdate_dir=/srv/data/UpdateInfo\n"
    "data_dir=/srv/data\nowner_window=4294967295\nhost_program=/opt/Talvo/talvo\nfirst_argument=1\n"
    "second_argument=-7\nsesam_pending=0\nspare=0\n";

// Every field is read by the tool's "show" below; here what the library refuses.
TEST(HandoverTest, RefusesWhatDoesNotFit) {
    TempTree tree;
    const auto block = Publish();
    ASSERT_TRUE(block);
    kthandover_record* record = kthandover_open();
    ASSERT_NE(record, nullptr);
    char small[4];
    EXPECT_EQ(kthandover_text(record, KTHANDOVER_APP_DIR, small, sizeof small), -1) << "too small a buffer";
    EXPECT_EQ(kthandover_text(record, KTHANDOVER_MODE, small, sizeof small), -1) << "not a text";
    kthandover_close(record);

    // A missing or short record is refused.
    const std::string path = platform::SharedMemory::PathOf(update::kInstallerParamsName);
    for (const auto& [content, error] : {std::pair{std::string(), ENOENT}, {std::string(update::kInstallerRecordSize - 1, '\0'), EBADMSG}}) {
        std::remove(path.c_str());
        if (!content.empty()) tree.WriteFile("run/shm.KTShared_Params", content);
        errno = 0;
        EXPECT_EQ(kthandover_open(), nullptr);
        EXPECT_EQ(errno, error);
    }
}

// Without KT_RUNTIME_DIR the library looks where the module publishes.
TEST(HandoverTest, FindsTheRecordUnderXdgRuntimeDir) {
    TempTree tree;
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

TEST(HandoverTest, SignalsTheStartOnlyWhileTheModuleWaits) {
    TempTree tree;
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_NOBODY_WAITING) << "never created";
    auto started = NamedEvent::Create(update::kInstallerStartedEventName, true, false);
    ASSERT_TRUE(started);
    auto waited = std::async(std::launch::async, [&] { return started->Wait(60s); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_SIGNALLED);
    EXPECT_TRUE(waited.get()) << "the waiting module wakes";
    EXPECT_TRUE(started->Wait(0ms)) << "the event stays signalled";
    started.reset();
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_NOBODY_WAITING) << "its holder let it go";
}

// The tool's exit status and output.
std::pair<int, std::string> Tool(const std::string& arguments) {
    FILE* pipe = popen((std::string(KTHANDOVER_TOOL) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return {-1, ""};
    std::string output;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(HandoverTest, ToolPrintsFieldsAndSignals) {
    TempTree tree;
    const struct {
        const char* arguments;
        bool published;
        std::pair<int, std::string> run;
    } cases[] = {
        {"get second_argument", true, {0, "-7\n"}}, {"show", true, {0, kShown}}, {"show", false, {1, ""}},
        {"get nonsense", true, {2, ""}},            {"signal", false, {1, ""}},  {"", false, {2, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto block = c.published ? Publish() : nullptr;
        EXPECT_EQ(Tool(c.arguments), c.run);
    }
    auto started = NamedEvent::Create(update::kInstallerStartedEventName, true, false);
    ASSERT_TRUE(started);
    EXPECT_EQ(Tool("signal").first, 0);
    EXPECT_TRUE(started->Wait(0ms));
}

}  // namespace
}  // namespace kt::test
