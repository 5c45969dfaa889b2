#include "update/install_updates.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "config/calendar_date.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "installer_fixture.h"
#include "platform/shared_memory.h"
#include "sesam/little_endian.h"
#include "update/installer_record.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

class InstallUpdatesTest : public test::InstallerFixture {
protected:
    void InstallStub() {
        fs::copy_file(KT_INSTALLER_STUB, Installer(), fs::copy_options::overwrite_existing);
        fs::permissions(Installer(), fs::perms::owner_all);
    }
    fs::path Installer() const { return fs::path(ctx.appDir) / "ktupdate.exe"; }
    void Behaviour(const std::string& lines) { tree.WriteFile("app/ktupdate-stub.txt", lines); }

    // What the stand-in recorded, once it has; empty after 10 s without.
    std::map<std::string, std::string> Record() const {
        const fs::path file = fs::path(ctx.appDir) / "ktupdate-record.txt";
        for (auto giveUp = Clock::now() + 10s; !fs::exists(file) && Clock::now() < giveUp;) std::this_thread::sleep_for(20ms);
        std::map<std::string, std::string> fields;
        std::istringstream in(test::ReadFile(file));
        for (std::string line; std::getline(in, line);) {
            const auto at = line.find('=');
            if (at != std::string::npos) fields[line.substr(0, at)] = line.substr(at + 1);
        }
        return fields;
    }
    std::string RawRecord() const { return test::ReadFile(fs::path(ctx.appDir) / "ktupdate-record.bin"); }
    void ForgetRecord() const {
        fs::remove(fs::path(ctx.appDir) / "ktupdate-record.txt");
        fs::remove(fs::path(ctx.appDir) / "ktupdate-record.bin");
    }

    void ExpectNotStartedMessage() const {
        ASSERT_EQ(presenter->messages.size(), 1u);
        const hostsuite::MessageRequest& shown = presenter->messages[0];
        EXPECT_EQ(shown.stringId, 1027);
        EXPECT_EQ(shown.text, "Impossible d'installer la mise à jour. Le programme d'installation n'a pas été lancé.");
        EXPECT_EQ(shown.caption, ctx.appTitle);
        EXPECT_EQ(shown.style, 0x10u);
        EXPECT_EQ(shown.owner, &ownerTag);
    }

    static std::int32_t IntAt(const std::string& raw, std::size_t at) {
        return static_cast<std::int32_t>(sesam::ReadLe32(reinterpret_cast<const unsigned char*>(raw.data()) + at));
    }
    // The zero-terminated text of the field, and whether the rest of it is zero.
    static std::pair<std::string, bool> TextAt(const std::string& raw, std::size_t at, std::size_t size) {
        const std::string field = raw.substr(at, size);
        const std::string text = field.substr(0, field.find('\0'));
        return {text, field.find_first_not_of('\0', text.size()) == std::string::npos};
    }

    static bool IsRunningNotZombie(int pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto close = content.rfind(')');
        return close != std::string::npos && content.size() > close + 2 && content[close + 2] != 'Z';
    }
    static void Stop(int pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

TEST_F(InstallUpdatesTest, InstallerReadsEveryFieldAtItsOffset) {
    InstallStub();
    ctx.hostProcessId = 4242;
    ctx.appTitle = "Talvo Médical";
    ctx.bSesamInstall = 1;
    ctx.sesamPack.SetTableVersion(0, "1.40");
    ctx.sesamPack.SetTableVersion(10, "2.3");
    ctx.sesamPack.SoftwareRecord()[0] = '1';
    ctx.sesamPack.ModuleArea()[sesam::kModuleAreaSize - 1] = 0x5A;
    const auto before = Clock::now();
    auto installer = InstallUpdatesWithin(ctx, ctx.bSesamInstall, 0, 0, kInstallMode, 20s);
    ASSERT_TRUE(installer);
    EXPECT_LT(Clock::now() - before, 10s);
    ASSERT_TRUE(installer->WaitForExit(10s));
    EXPECT_EQ(installer->ExitCode(), 0);
    EXPECT_EQ(ctx.bSesamInstall, 0);
    EXPECT_TRUE(presenter->messages.empty());
    EXPECT_TRUE(Logged("INFO Start ktupdate.exe"));
    EXPECT_TRUE(Logged("INFO ktupdate.exe started"));
    // The name is withdrawn once the installer confirmed.
    EXPECT_FALSE(fs::exists(platform::SharedMemory::PathOf("KTShared_Params")));

    auto fields = Record();
    EXPECT_EQ(fields["command_line"], Installer().string());
    EXPECT_EQ(fields["opened"], "1");
    EXPECT_EQ(fields["mode"], "2");
    EXPECT_EQ(fields["host_process_id"], "4242");
    EXPECT_EQ(fields["title"], "Talvo Médical");
    EXPECT_EQ(fields["app_dir"], ctx.appDir);
    EXPECT_EQ(fields["update_dir"], ctx.updateDir);
    EXPECT_EQ(fields["data_dir"], ctx.dataDir);
    EXPECT_EQ(fields["host_program"], fs::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(fields["owner_window"],
              std::to_string(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&ownerTag))));
    EXPECT_EQ(fields["first_argument"], "1");
    EXPECT_EQ(fields["second_argument"], "0");
    EXPECT_EQ(fields["sesam_pending"], "0");
    EXPECT_EQ(fields["spare"], "0");

    // The raw bytes, read at the offsets of the hand-over contract.
    const std::string raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_EQ(IntAt(raw, 0), 2);
    EXPECT_EQ(IntAt(raw, 4), 4242);
    EXPECT_EQ(TextAt(raw, 8, 128), std::make_pair(std::string("Talvo Médical"), true));
    EXPECT_EQ(TextAt(raw, 136, 260), std::make_pair(ctx.appDir, true));
    EXPECT_EQ(TextAt(raw, 396, 260), std::make_pair(ctx.updateDir, true));
    EXPECT_EQ(TextAt(raw, 656, 260), std::make_pair(ctx.dataDir, true));
    EXPECT_TRUE(TextAt(raw, 920, 260).second);
    EXPECT_EQ(IntAt(raw, 1180), 1);
    EXPECT_EQ(IntAt(raw, 1184), 0);
    EXPECT_EQ(IntAt(raw, 1188), 0);
    const auto& pack = ctx.sesamPack.Bytes();
    EXPECT_EQ(raw.substr(1192, 9859), std::string(pack.begin(), pack.end()));
    EXPECT_EQ(raw.substr(1192, 4), "1.40");
    EXPECT_EQ(static_cast<unsigned char>(raw[1192 + 9858]), 0x5A);
    EXPECT_EQ(raw[11051], '\0');
}

TEST_F(InstallUpdatesTest, UninstallWithoutHostProcessIdNamesTheOwnersProcess) {
    InstallStub();
    ctx.hostProcessId = 0;
    ctx.appTitle = std::string(126, 'a') + "é";  // the last character does not fit
    auto installer = InstallUpdatesWithin(ctx, 1, 0, 0, kUninstallMode, 20s);
    ASSERT_TRUE(installer);
    installer->WaitForExit(10s);
    auto fields = Record();
    EXPECT_EQ(fields["mode"], "1");
    EXPECT_EQ(fields["host_process_id"], std::to_string(::getpid()));
    EXPECT_EQ(fields["first_argument"], "1");
    EXPECT_EQ(fields["title"], std::string(126, 'a'));
}

TEST_F(InstallUpdatesTest, LastUpdateIsStampedOnlyWhenAsked) {
    InstallStub();
    ctx.version = "5.2.0";
    ctx.compatVersion = "5.2.0";
    ASSERT_EQ(config::CreateDefaultConfig(ctx, kGuid), 1);
    const std::string appId = ctx.appDir + "/appid.xml";
    std::string dated;
    ASSERT_EQ(config::GetNodeData(appId, nullptr, "LastUpdate", &dated, 12, nullptr, nullptr, 0), 1);
    const std::string today = config::DateText(config::LocalNow());
    ASSERT_NE(dated, today);

    auto unstamped = InstallUpdatesWithin(ctx, 0, 0, 0, kUninstallMode, 20s);
    ASSERT_TRUE(unstamped);
    std::string text;
    config::GetNodeData(appId, nullptr, "LastUpdate", &text, 12, nullptr, nullptr, 0);
    EXPECT_EQ(text, dated);

    auto stamped = InstallUpdatesWithin(ctx, 0, 0, 1, kInstallMode, 20s);
    ASSERT_TRUE(stamped);
    config::GetNodeData(appId, nullptr, "LastUpdate", &text, 12, nullptr, nullptr, 0);
    EXPECT_EQ(text, today);
    config::GetNodeData(ctx.updateDirSlash + kGuid + ".xml", nullptr, "LastUpdate", &text, 12, nullptr, nullptr, 0);
    EXPECT_EQ(text, today);
    unstamped->WaitForExit(10s);
    stamped->WaitForExit(10s);
}

TEST_F(InstallUpdatesTest, SilentInstallerIsReportedAndLeftRunning) {
    InstallStub();
    Behaviour("signal no\nstay_ms 30000\n");
    const auto before = Clock::now();
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 1500ms));
    EXPECT_GE(Clock::now() - before, 1500ms);
    EXPECT_TRUE(Logged("INFO Start ktupdate.exe"));
    EXPECT_TRUE(Logged("ERROR Can't start ktupdate.exe"));
    EXPECT_FALSE(Logged("INFO ktupdate.exe started"));
    ExpectNotStartedMessage();
    const int pid = std::stoi(Record()["pid"]);
    EXPECT_TRUE(IsRunningNotZombie(pid));
    Stop(pid);
}

TEST_F(InstallUpdatesTest, InstallerEndingWithoutConfirmingIsNotWaitedFor) {
    InstallStub();
    Behaviour("signal no\n");
    const auto before = Clock::now();
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 30s));
    EXPECT_LT(Clock::now() - before, 10s);
    EXPECT_TRUE(Logged("ERROR Can't start ktupdate.exe"));
    ExpectNotStartedMessage();
}

TEST_F(InstallUpdatesTest, LateConfirmationCountsOnlyWithinTheWait) {
    InstallStub();
    Behaviour("signal_after_ms 1200\n");
    const auto before = Clock::now();
    auto installer = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 20s);
    EXPECT_TRUE(installer);
    EXPECT_GE(Clock::now() - before, 1200ms);
    if (installer) installer->WaitForExit(10s);

    ForgetRecord();
    Behaviour("signal_after_ms 3000\n");
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 500ms));
    ExpectNotStartedMessage();
    Stop(std::stoi(Record()["pid"]));
}

TEST_F(InstallUpdatesTest, MissingInstallerIsReportedAtOnce) {
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
    InstallStub();
    Behaviour("stay_ms 20000\n");
    auto earlier = InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 20s);
    ASSERT_TRUE(earlier);
    ASSERT_EQ(Record()["opened"], "1");
    ForgetRecord();
    tree.WriteFile("run/shm.KTShared_Params", std::string(11052, '\xFF'));

    Behaviour("signal no\n");
    ctx.appTitle = "T";
    EXPECT_FALSE(InstallUpdatesWithin(ctx, 0, 0, 0, kInstallMode, 1500ms));
    ExpectNotStartedMessage();
    EXPECT_EQ(Record()["title"], "T");
    const std::string raw = RawRecord();
    ASSERT_EQ(raw.size(), 11052u);
    EXPECT_TRUE(TextAt(raw, 8, 128).second);
    EXPECT_EQ(raw[11051], '\0');
    Stop(earlier->Id());
}

TEST_F(InstallUpdatesTest, SharedMemoryThatCannotBeMadeIsReported) {
    InstallStub();
    const std::string runtime = tree.WriteFile("not-a-folder", "x").string();
    setenv("KT_RUNTIME_DIR", runtime.c_str(), 1);
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
