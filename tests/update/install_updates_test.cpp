#include "update/install_updates.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "config/calendar_date.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "installer_fixture.h"
#include "platform/shared_memory.h"
#include "platform/little_endian.h"
#include "update/installer_record.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Field = std::pair<std::string, bool>;

// Starts the real installer stand-in, which records what it read beside itself.
class InstallUpdatesTest : public test::InstallerFixture {
protected:
    InstallUpdatesTest() {
        fs::copy_file(KT_INSTALLER_STUB, Installer());
        fs::permissions(Installer(), fs::perms::owner_all);
    }
    fs::path Installer() const { return fs::path(ctx.appDir) / "ktupdate.exe"; }
    void Behaviour(const std::string& lines) { tree.WriteFile("app/ktupdate-stub.txt", lines); }

    // The value the stand-in recorded for `key`, once it has; empty after 10 s without.
    std::string Recorded(const std::string& key) const {
        const fs::path file = fs::path(ctx.appDir) / "ktupdate-record.txt";
        for (auto giveUp = Clock::now() + 10s; !fs::exists(file) && Clock::now() < giveUp;) std::this_thread::sleep_for(20ms);
        const std::string text = "\n" + test::ReadFile(file), start = "\n" + key + "=";
        const auto at = text.find(start);
        if (at == std::string::npos) return "";
        return text.substr(at + start.size(), text.find('\n', at + 1) - at - start.size());
    }
    std::string RawRecord() const { return test::ReadFile(fs::path(ctx.appDir) / "ktupdate-record.bin"); }
    void ForgetRecord() const {
        fs::remove(fs::path(ctx.appDir) / "ktupdate-record.txt");
        fs::remove(fs::path(ctx.appDir) / "ktupdate-record.bin");
    }

    // Message 1027, the only one shown since the last check.
    void ExpectNotStartedMessage() {
        ASSERT_EQ(presenter->messages.size(), 1u);
        const hostsuite::MessageRequest& shown = presenter->messages[0];
        EXPECT_EQ(shown.stringId, 1027);
        EXPECT_EQ(shown.text, "Impossible d'installer la mise à jour. Le programme d'installation n'a pas été lancé.");
        EXPECT_EQ(shown.caption, ctx.appTitle);
        EXPECT_EQ(shown.style, 0x10u);
        EXPECT_EQ(shown.owner, &ownerTag);
        presenter->messages.clear();
    }

    static std::string LastUpdate(const std::string& file) {
        std::string text;
        config::GetNodeData(file, nullptr, "LastUpdate", &text, 12, nullptr, nullptr, 0);
        return text;
    }
    static std::int32_t IntAt(const std::string& raw, std::size_t at) {
        return static_cast<std::int32_t>(platform::ReadLe32(reinterpret_cast<const unsigned char*>(raw.data()) + at));
    }
    // The zero-terminated text of the field, and whether the rest of it is zero.
    static Field TextAt(const std::string& raw, std::size_t at, std::size_t size) {
        const std::string field = raw.substr(at, size);
        const std::string text = field.substr(0, field.find('\0'));
        return {text, field.find_first_not_of('\0', text.size()) == std::string::npos};
    }

    static void Stop(int pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// Both modes through the real stand-in: every field at its offset, and the
// last update stamped only when asked.
TEST_F(InstallUpdatesTest, InstallerReadsEveryFieldAtItsOffset) {
    constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";
    ctx.version = ctx.compatVersion = "5.2.0";
    ASSERT_EQ(config::CreateDefaultConfig(ctx, kGuid), 1);
    const std::string appId = ctx.appDir + "/appid.xml";
    const std::string created = LastUpdate(appId);
    const std::string today = config::DateText(config::LocalNow());
    ASSERT_NE(created, today);
    ctx.hostProcessId = 4242;
    ctx.appTitle = "Talvo Médical";
    ctx.bSesamInstall = 1;
    ctx.sesamPack.SetTableVersion(0, "1.40");
    ctx.sesamPack.ModuleArea()[run::kModuleAreaSize - 1] = 0x5A;
    const auto before = Clock::now();
    auto installer = InstallUpdatesWithin(ctx, ctx.bSesamInstall, 0, 0, kInstallMode, 20s);
    ASSERT_TRUE(installer);
    EXPECT_LT(Clock::now() - before, 10s);
    ASSERT_TRUE(installer->WaitForExit(10s));
    EXPECT_EQ(installer->ExitCode(), 0);
    EXPECT_EQ(ctx.bSesamInstall, 0);
    EXPECT_EQ(LastUpdate(appId), created);
    EXPECT_TRUE(presenter->messages.empty());
    EXPECT_TRUE(Logged("INFO Start ktupdate.exe"));
    EXPECT_TRUE(Logged("INFO ktupdate.exe started"));
    // The name is withdrawn once the installer confirmed.
    EXPECT_FALSE(fs::exists(platform::SharedMemory::PathOf("KTShared_Params")));
    EXPECT_EQ(Recorded("command_line"), Installer().string());

    // The raw bytes, read at the offsets of the hand-over contract.
    std::string raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_EQ(IntAt(raw, 0), 2);
    EXPECT_EQ(IntAt(raw, 4), 4242);
    EXPECT_EQ(TextAt(raw, 8, 128), Field("Talvo Médical", true));
    EXPECT_EQ(TextAt(raw, 136, 260), Field(ctx.appDir, true));
    EXPECT_EQ(TextAt(raw, 396, 260), Field(ctx.updateDir, true));
    EXPECT_EQ(TextAt(raw, 656, 260), Field(ctx.dataDir, true));
    EXPECT_EQ(static_cast<std::uint32_t>(IntAt(raw, 916)),
              static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&ownerTag)));
    EXPECT_EQ(TextAt(raw, 920, 260), Field(fs::read_symlink("/proc/self/exe").string(), true));
    EXPECT_EQ(IntAt(raw, 1180), 1);
    EXPECT_EQ(IntAt(raw, 1184), 0);
    EXPECT_EQ(IntAt(raw, 1188), 0);
    const auto& pack = ctx.sesamPack.Bytes();
    EXPECT_EQ(raw.substr(1192, 9859), std::string(pack.begin(), pack.end()));
    EXPECT_EQ(raw.substr(1192, 4), "1.40");
    EXPECT_EQ(static_cast<unsigned char>(raw[1192 + 9858]), 0x5A);
    EXPECT_EQ(raw[11051], '\0');

    // Without a host process id the owner's process is named; a title is cut
    // at a whole character.
    ForgetRecord();
    ctx.hostProcessId = 0;
    ctx.appTitle = std::string(126, 'a') + "é";
    installer = InstallUpdatesWithin(ctx, 1, 0, 1, kUninstallMode, 20s);
    ASSERT_TRUE(installer);
    ASSERT_TRUE(installer->WaitForExit(10s));
    raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_EQ(IntAt(raw, 0), 1);
    EXPECT_EQ(IntAt(raw, 4), ::getpid());
    EXPECT_EQ(TextAt(raw, 8, 128), Field(std::string(126, 'a'), true));
    EXPECT_EQ(LastUpdate(appId), today);
    EXPECT_EQ(LastUpdate(ctx.updateDirSlash + kGuid + ".xml"), today);
}

TEST_F(InstallUpdatesTest, SilentInstallerIsReportedAndLeftRunning) {
    Behaviour("signal no\nstay_ms 30000\n");
    auto before = Clock::now();
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 1500ms));
    EXPECT_GE(Clock::now() - before, 1500ms);
    EXPECT_TRUE(Logged("INFO Start ktupdate.exe"));
    EXPECT_TRUE(Logged("ERROR Can't start ktupdate.exe"));
    EXPECT_FALSE(Logged("INFO ktupdate.exe started"));
    ExpectNotStartedMessage();
    const int pid = std::stoi(Recorded("pid"));
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0);  // still running
    Stop(pid);

    // One that ends without confirming is not waited for.
    ForgetRecord();
    Behaviour("signal no\n");
    before = Clock::now();
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 30s));
    EXPECT_LT(Clock::now() - before, 10s);
    ExpectNotStartedMessage();
}

TEST_F(InstallUpdatesTest, LateConfirmationWithinTheWaitCounts) {
    Behaviour("signal_after_ms 1200\n");
    const auto before = Clock::now();
    auto installer = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 20s);
    ASSERT_TRUE(installer);
    EXPECT_GE(Clock::now() - before, 1200ms);
    installer->WaitForExit(10s);
}

TEST_F(InstallUpdatesTest, MissingInstallerIsReportedAtOnce) {
    fs::remove(Installer());
    ctx.bSesamInstall = 1;
    const auto before = Clock::now();
    EXPECT_FALSE(InstallUpdates(ctx, 1, 0, 0, kInstallMode));
    EXPECT_LT(Clock::now() - before, 5s);
    EXPECT_EQ(ctx.bSesamInstall, 0);
    ExpectNotStartedMessage();
    EXPECT_FALSE(Logged("ERROR Can't start ktupdate.exe"));
    EXPECT_FALSE(fs::exists(platform::SharedMemory::PathOf("KTShared_Params")));
}

// A crashed run may leave a block under the name, and an earlier installer
// may still hold the event it signalled: neither may feed the next hand-over.
TEST_F(InstallUpdatesTest, StaleObjectsNeverFeedTheNextInstaller) {
    Behaviour("stay_ms 20000\n");
    auto earlier = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 20s);
    ASSERT_TRUE(earlier);
    ASSERT_EQ(Recorded("opened"), "1");
    ForgetRecord();
    tree.WriteFile("run/shm.KTShared_Params", std::string(11052, '\xFF'));

    Behaviour("signal no\n");
    ctx.appTitle = "T";
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 1500ms));
    ExpectNotStartedMessage();
    ASSERT_EQ(Recorded("opened"), "1");
    const std::string raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_EQ(TextAt(raw, 8, 128), Field("T", true));
    EXPECT_EQ(raw[11051], '\0');
    Stop(earlier->Id());
}

TEST_F(InstallUpdatesTest, SharedMemoryThatCannotBeMadeIsReported) {
    setenv("KT_RUNTIME_DIR", tree.WriteFile("not-a-folder", "x").c_str(), 1);
    auto installer = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 2s);
    setenv("KT_RUNTIME_DIR", (tree / "run").c_str(), 1);
    EXPECT_FALSE(installer);
    ASSERT_EQ(presenter->messages.size(), 1u);
    EXPECT_EQ(presenter->messages[0].text, "Erreur dans la mémoire partagée :\nCréation de mapping.");
    EXPECT_EQ(presenter->messages[0].style, 0x10u);
    EXPECT_FALSE(Logged("INFO Start ktupdate.exe"));
    EXPECT_FALSE(fs::exists(fs::path(ctx.appDir) / "ktupdate-record.txt"));
}

}  // namespace
}  // namespace kt::update
