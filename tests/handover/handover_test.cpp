#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <variant>
#include <vector>

#include "kthandover.h"
#include "platform/named_event.h"
#include "platform/shared_memory.h"
#include "support/temp_tree.h"
#include "update/installer_record.h"

namespace kt::test {
namespace {

using namespace std::chrono_literals;
using platform::NamedEvent;
using platform::SharedMemory;

// The module's side: publishes a record as the hand-over does.
std::unique_ptr<SharedMemory> Publish(const update::InstallerRecord& record) {
    auto block = SharedMemory::Create(update::kInstallerParamsName, update::kInstallerRecordSize);
    if (block) update::WriteInstallerRecord(block->Data(), record);
    return block;
}

update::InstallerRecord SampleRecord() {
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
    return record;
}

class HandoverTest : public ::testing::Test {
protected:
    TempTree tree;
};

TEST_F(HandoverTest, ReadsEveryFieldTheModuleWrote) {
    const auto block = Publish(SampleRecord());
    ASSERT_TRUE(block);
    kthandover_record* record = kthandover_open();
    ASSERT_NE(record, nullptr);
    using Value = std::variant<std::int64_t, std::string>;
    const std::vector<std::pair<kthandover_field, Value>> expected = {
        {KTHANDOVER_MODE, 1},
        {KTHANDOVER_HOST_PROCESS_ID, 4000000000LL},
        {KTHANDOVER_TITLE, "Talvo é"},
        {KTHANDOVER_APP_DIR, "/opt/Talvo"},
        {KTHANDOVER_UPDATE_DIR, "/srv/data/UpdateInfo"},
        {KTHANDOVER_DATA_DIR, "/srv/data"},
        {KTHANDOVER_OWNER_WINDOW, 0xFFFFFFFFLL},
        {KTHANDOVER_HOST_PROGRAM, "/opt/Talvo/talvo"},
        {KTHANDOVER_FIRST_ARGUMENT, 1},
        {KTHANDOVER_SECOND_ARGUMENT, -7},
        {KTHANDOVER_SESAM_PENDING, 0},
        {KTHANDOVER_SPARE, 0},
    };
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(KTHANDOVER_FIELD_COUNT));
    for (const auto& [field, value] : expected) {
        SCOPED_TRACE(kthandover_field_name(field));
        EXPECT_EQ(kthandover_field_by_name(kthandover_field_name(field)), field);
        if (const auto* text = std::get_if<std::string>(&value)) {
            char out[300];
            EXPECT_EQ(kthandover_text(record, field, out, sizeof out), static_cast<int>(text->size()));
            EXPECT_EQ(std::string(out), *text);
        } else {
            EXPECT_EQ(kthandover_number(record, field), std::get<std::int64_t>(value));
        }
    }
    char small[4];
    EXPECT_EQ(kthandover_text(record, KTHANDOVER_APP_DIR, small, sizeof small), -1) << "too small a buffer";
    EXPECT_EQ(kthandover_text(record, KTHANDOVER_MODE, small, sizeof small), -1) << "not a text";
    EXPECT_EQ(kthandover_field_by_name("nonsense"), -1);
    kthandover_close(record);
}

TEST_F(HandoverTest, RefusesAMissingOrShortRecord) {
    const std::string path = SharedMemory::PathOf(update::kInstallerParamsName);
    struct Case {
        const char* name;
        std::string content;  // empty: no file
        int error;
    };
    const Case cases[] = {
        {"absent", "", ENOENT},
        {"short", std::string(update::kInstallerRecordSize - 1, '\0'), EBADMSG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        if (!c.content.empty()) tree.WriteFile("run/shm.KTShared_Params", c.content);
        errno = 0;
        EXPECT_EQ(kthandover_open(), nullptr);
        EXPECT_EQ(errno, c.error);
    }
}

// The library finds the run-time folder by the module's own rule.
TEST_F(HandoverTest, FindsTheModulesRuntimeFolder) {
    struct Case {
        const char* name;
        bool runtimeDir;
        mode_t defaultMode;  // of XDG_RUNTIME_DIR/ktupdate
    };
    const Case cases[] = {
        {"KT_RUNTIME_DIR", true, 0700},
        {"XDG_RUNTIME_DIR/ktupdate", false, 0700},
        {"home fallback when others may write there", false, 0777},
    };
    const char* saved = std::getenv("KT_RUNTIME_DIR");
    const std::string keep = saved != nullptr ? saved : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto xdg = tree.MakeDir(std::string("xdg-") + c.name[0]);
        const auto home = tree.MakeDir(std::string("home-") + c.name[0]);
        setenv("XDG_RUNTIME_DIR", xdg.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        tree.MakeDir(xdg.filename().string() + "/ktupdate");
        chmod((xdg / "ktupdate").c_str(), c.defaultMode);
        if (c.runtimeDir) setenv("KT_RUNTIME_DIR", keep.c_str(), 1);
        else unsetenv("KT_RUNTIME_DIR");
        const auto block = Publish(SampleRecord());
        ASSERT_TRUE(block);
        kthandover_record* record = kthandover_open();
        EXPECT_NE(record, nullptr);
        kthandover_close(record);
    }
    setenv("KT_RUNTIME_DIR", keep.c_str(), 1);
}

TEST_F(HandoverTest, SignalsTheStartOnlyWhileTheModuleWaits) {
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_NOBODY_WAITING) << "never created";

    auto started = NamedEvent::Create(update::kInstallerStartedEventName, true, false);
    ASSERT_TRUE(started);
    auto waited = std::async(std::launch::async, [&] {
        const auto from = std::chrono::steady_clock::now();
        const bool signalled = started->Wait(10s);
        return signalled && std::chrono::steady_clock::now() - from < 5s;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_SIGNALLED);
    EXPECT_TRUE(waited.get()) << "the waiting module wakes at once";
    EXPECT_TRUE(started->Wait(0ms)) << "the event stays signalled";

    started.reset();
    EXPECT_EQ(kthandover_signal_started(), KTHANDOVER_NOBODY_WAITING) << "its holder let it go";
}

struct ToolRun {
    int status;
    std::string output;
};

ToolRun Tool(const std::string& arguments) {
    ToolRun run{-1, {}};
    FILE* pipe = popen((std::string(KTHANDOVER_TOOL) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(HandoverTest, ToolPrintsFieldsAndSignals) {
    struct Case {
        const char* arguments;
        bool published;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {"get app_dir", true, 0, "/opt/Talvo\n"},
        {"get second_argument", true, 0, "-7\n"},
        {"show", true, 0,
         "mode=1\nhost_process_id=4000000000\ntitle=Talvo é\napp_dir=/opt/Talvo\nupdate_dir=/srv/data/UpdateInfo\n"
         "data_dir=/srv/data\nowner_window=4294967295\nhost_program=/opt/Talvo/talvo\nfirst_argument=1\n"
         "second_argument=-7\nsesam_pending=0\nspare=0\n"},
        {"show", false, 1, ""},
        {"get nonsense", true, 2, ""},
        {"signal", false, 1, ""},
        {"", false, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto block = c.published ? Publish(SampleRecord()) : nullptr;
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.output, c.output);
    }
    auto started = NamedEvent::Create(update::kInstallerStartedEventName, true, false);
    ASSERT_TRUE(started);
    EXPECT_EQ(Tool("signal").status, 0);
    EXPECT_TRUE(started->Wait(0ms));
}

}  // namespace
}  // namespace kt::test
