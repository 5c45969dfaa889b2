// The hand-over to the installer, through the real installer stand-in,
// which records beside itself what it read.
#include "update/install_updates.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "config/calendar_date.h"
#include "platform/little_endian.h"
#include "platform/shared_memory.h"
#include "support/workstation.h"
#include "update/installer_record.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Long enough for a loaded machine or a sanitizer build: only the outcome is
// checked, never how fast it came.
constexpr auto kPatience = 60s;

class InstallUpdatesTest : public test::ConfiguredWorkstation {
protected:
    InstallUpdatesTest() {
        fs::copy_file(KT_INSTALLER_STUB, Installer());
        fs::permissions(Installer(), fs::perms::owner_all);
    }
    fs::path Installer() const { return ctx.appDir + "ktupdate.exe"; }
    void Behaviour(const std::string& lines) { tree.WriteFile("app/ktupdate-stub.txt", lines); }

    // The value the stand-in recorded for `key`, once it has (it writes its record whole).
    std::string Recorded(const std::string& key) const {
        const fs::path file = ctx.appDir + "ktupdate-record.txt";
        for (auto giveUp = Clock::now() + kPatience; !fs::exists(file) && Clock::now() < giveUp;) std::this_thread::sleep_for(20ms);
        const std::string text = "\n" + test::ReadFile(file), start = "\n" + key + "=";
        const auto at = text.find(start) + start.size();
        return text.find(start) == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
    }
    std::string RawRecord() const { return test::ReadFile(ctx.appDir + "ktupdate-record.bin"); }
    void ForgetRecord() const { fs::remove(ctx.appDir + "ktupdate-record.txt"), fs::remove(ctx.appDir + "ktupdate-record.bin"); }
    std::optional<std::string> LastUpdate(const std::string& file) const { return Read(file, "Workstation", "LastUpdate"); }
    static std::int64_t IntAt(const std::string& raw, std::size_t at) {
        return static_cast<std::int32_t>(platform::ReadLe32(reinterpret_cast<const unsigned char*>(raw.data()) + at));
    }
    // The field's text up to its first zero, and "!" after it when the rest is not all zero.
    static std::string TextAt(const std::string& raw, std::size_t at, std::size_t size) {
        const std::string field = raw.substr(at, size), text = field.substr(0, field.find('\0'));
        return field.find_first_not_of('\0', text.size()) == std::string::npos ? text : text + "!";
    }
    static void Stop(int pid) { ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0); }
};

// Both modes: every field at its offset, and the last update stamped only when asked.
TEST_F(InstallUpdatesTest, InstallerReadsEveryFieldAtItsOffset) {
    const std::string created = *LastUpdate(AppId()), today = config::DateText(config::LocalNow());
    ASSERT_NE(created, today);
    ctx.sesamPack.SetTableVersion(0, "1.40");
    ctx.sesamPack.ModuleArea()[run::kModuleAreaSize - 1] = 0x5A;
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    // The owner's low 32 bits, read back as the signed field they are stored in.
    const std::int64_t owner = static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&ownerTag)));
    // Mode, host process (0: the owner's is named), title and its field (cut at a whole character), first argument, stamp.
    const std::tuple<int, std::uint32_t, std::string, std::string, int, int> cases[] = {
        {kInstallMode, 4242, "Talvo Médical", "Talvo Médical", 1, 0},
        {kUninstallMode, 0, std::string(126, 'a') + "é", std::string(126, 'a'), 0, 1},
    };
    for (const auto& [mode, hostProcessId, title, titleField, first, stamp] : cases) {
        SCOPED_TRACE(mode);
        ForgetRecord();
        std::tie(ctx.hostProcessId, ctx.appTitle, ctx.bSesamInstall) = std::tuple(hostProcessId, title, 1);
        auto installer = InstallUpdatesWithin(ctx, first, 0, stamp, mode, kPatience);
        ASSERT_TRUE(installer && installer->WaitForExit(kPatience));
        EXPECT_EQ(installer->ExitCode(), 0);
        EXPECT_EQ(ctx.bSesamInstall, 0);
        EXPECT_TRUE(presenter->messages.empty());
        EXPECT_TRUE(InOrder(Log(), {"INFO Start ktupdate.exe", "INFO ktupdate.exe started"}));
        // The name is withdrawn once the installer confirmed.
        EXPECT_FALSE(fs::exists(platform::SharedMemory::PathOf("KTShared_Params")));
        EXPECT_EQ(Recorded("command_line"), Installer().string());
        EXPECT_EQ(LastUpdate(AppId()).value_or("-") + " " + LastUpdate(GuidFile()).value_or("-"),
                  stamp ? today + " " + today : created + " " + created);

        const std::string raw = RawRecord();
        ASSERT_EQ(raw.size(), 11052u);
        const std::int64_t hostProcess = hostProcessId ? hostProcessId : ::getpid();
        const std::pair<std::size_t, std::int64_t> numbers[] = {{0, mode}, {4, hostProcess}, {916, owner},
                                                                {1180, first}, {1184, 0}, {1188, 0}};
        for (const auto& [at, value] : numbers) EXPECT_EQ(IntAt(raw, at), value) << "at " << at;
        const std::tuple<std::size_t, std::size_t, std::string> texts[] = {
            {8, 128, titleField}, {136, 260, ctx.appDir}, {396, 260, ctx.updateDir}, {656, 260, ctx.dataDir}, {920, 260, exe}};
        for (const auto& [at, size, text] : texts) EXPECT_EQ(TextAt(raw, at, size), text) << "at " << at;
        EXPECT_EQ(raw.substr(1192, 9859), std::string(ctx.sesamPack.Bytes().begin(), ctx.sesamPack.Bytes().end()));
        EXPECT_EQ(raw[11051], '\0');
    }
}

TEST_F(InstallUpdatesTest, AnInstallerThatDoesNotConfirmIsReported) {
    // What, behaviour, confirmation time, least wait (less a margin: the event's clock is not the test's), started.
    const std::tuple<const char*, const char*, std::chrono::milliseconds, std::chrono::milliseconds, bool> cases[] = {
        {"silent, left running", "signal no\nstay_ms 60000\n", 1500ms, 1400ms, false},
        {"ending without confirming, not waited for", "signal no\n", 120s, 0ms, false},
        {"confirming late within the wait", "signal_after_ms 1200\n", kPatience, 1200ms, true},
    };
    for (const auto& [what, behaviour, confirmation, least, started] : cases) {
        SCOPED_TRACE(what);
        const std::size_t logged = Log().size();
        ForgetRecord();
        presenter->messages.clear();
        Behaviour(behaviour);
        ctx.bSesamInstall = 1;
        const auto before = Clock::now();
        auto installer = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, confirmation);
        EXPECT_EQ(installer != nullptr, started);
        EXPECT_EQ(ctx.bSesamInstall, 0);
        EXPECT_GE(Clock::now() - before, least);
        EXPECT_LT(Clock::now() - before, kPatience) << "waited for the whole confirmation time";
        const test::Strings all = Log(), lines(all.begin() + static_cast<long>(logged), all.end());
        EXPECT_EQ(Contains(lines, "ERROR Can't start ktupdate.exe"), !started);
        ASSERT_EQ(presenter->messages.size(), started ? 0u : 1u);
        if (!started) {
            const hostsuite::MessageRequest& shown = presenter->messages[0];
            EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style, shown.owner),
                      std::tuple(1027, ctx.appTitle, 0x10u, static_cast<hostsuite::Window>(&ownerTag)));
        }
        if (installer) installer->WaitForExit(kPatience);
        if (confirmation == 1500ms) {
            const int pid = std::stoi(Recorded("pid"));
            EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "still running";
            Stop(pid);
        }
        EXPECT_FALSE(fs::exists(platform::SharedMemory::PathOf("KTShared_Params")));
    }
}

// A crashed run may leave a block under the name, and an earlier installer
// may still hold the event it signalled: neither may feed the next hand-over.
TEST_F(InstallUpdatesTest, StaleObjectsNeverFeedTheNextInstaller) {
    Behaviour("stay_ms 60000\n");
    auto earlier = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, kPatience);
    ASSERT_TRUE(earlier);
    ASSERT_EQ(Recorded("opened"), "1");
    ForgetRecord();
    tree.WriteFile("run/shm.KTShared_Params", std::string(11052, '\xFF'));

    Behaviour("signal no\n");
    ctx.appTitle = "T";
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 1500ms));
    ASSERT_EQ(Recorded("opened"), "1");
    const std::string raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_EQ(TextAt(raw, 8, 128), "T");
    EXPECT_EQ(raw[11051], '\0');
    Stop(earlier->Id());
}

}  // namespace
}  // namespace kt::update
