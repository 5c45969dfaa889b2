// The files a workstation shares with the others, and a shared folder that cannot be written.
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "config/last_update_stamp.h"
#include "config/update_sharing.h"
#include "config/updating_lock.h"
#include "config/workstation_state_file.h"
#include "platform/host_identity.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using SharedStateTest = test::ConfiguredWorkstation;
using UpdateSharingTest = test::ConfiguredWorkstation;
using test::kGuid;
using namespace std::chrono_literals;

constexpr const char* kOtherGuid = "{00000000-1111-2222-3333-444444444444}";

// The lock a workstation leaves while it updates; `holder` adds the
// attributes that only newer workstations write.
std::string Lock(const std::string& guid, const std::string& date, const std::string& holder = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\"" + guid + "\"" + holder +
           ">\n\t<LastUpdate>" + date + "</LastUpdate>\n</Workstation>\n";
}

std::string Holder(const std::string& host, long long pid, const std::string& boot, const std::string& beat) {
    return " Host=\"" + host + "\" ProcessId=\"" + std::to_string(pid) + "\" BootId=\"" + boot + "\" Heartbeat=\"" +
           beat + "\"";
}

pid_t DeadProcess() {
    const pid_t child = fork();
    if (child == 0) std::_Exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(SharedStateTest, OnlyAFreshLockOfAnotherWorkstationBlocks) {
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash), 0) << "no lock";
    const std::tm now = LocalTime(6, 12, 2026, 10, 0);
    const auto beat = [&](int minutesAgo) { return HeartbeatText(EpochOfLocal(now) - minutesAgo * 60); };
    const std::string host = platform::HostName(), boot = platform::BootId();
    const std::pair<std::string, int> cases[] = {  // the lock, whether it blocks
        {Lock(kOtherGuid, "6.12.2026"), 1},
        {Lock(kOtherGuid, "5.12.2026"), 1},   // yesterday
        {Lock(kOtherGuid, "9.12.2026"), 1},   // a clock ahead on the other workstation
        {Lock(kOtherGuid, "4.12.2026"), 0},   // two days ago
        {Lock(kGuid, "6.12.2026"), 0},        // this workstation's own
        {Lock("{1a2b3c4d-5e6f-7A8B-9c0d-1e2f3a4b5c6d}", "6.12.2026"), 0},  // own, other letter case
        {Lock(kOtherGuid, "31.11.2026"), 0},  // no such day
        {Lock(kOtherGuid, ""), 0},
        {"<Workstation GUID=\"", 0},
        // Another workstation on this machine: its process decides.
        {Lock(kOtherGuid, "6.12.2026", Holder(host, getpid(), boot, beat(30))), 1},
        {Lock(kOtherGuid, "6.12.2026", Holder(host, DeadProcess(), boot, beat(0))), 0},
        {Lock(kOtherGuid, "4.12.2026", Holder(host, getpid(), boot, beat(0))), 0},  // a day is still the limit
        // Another machine: its heartbeat decides.
        {Lock(kOtherGuid, "6.12.2026", Holder("elsewhere", 1, "other-boot", beat(9))), 1},
        {Lock(kOtherGuid, "6.12.2026", Holder("elsewhere", 1, "other-boot", beat(11))), 0},
        {Lock(kOtherGuid, "6.12.2026", Holder("elsewhere", 1, "other-boot", beat(-90))), 1},  // clock ahead
        {Lock(kOtherGuid, "6.12.2026", Holder("elsewhere", 1, "other-boot", "6.12.2026 9:00")), 1},  // unreadable
        // The same name under another boot is read as another machine.
        {Lock(kOtherGuid, "6.12.2026", Holder(host, DeadProcess(), "other-boot", beat(5))), 1},
        {Lock(kOtherGuid, "6.12.2026", Holder(host, DeadProcess(), "other-boot", beat(11))), 0},
    };
    for (const auto& [content, blocks] : cases) {
        SCOPED_TRACE(content);
        tree.WriteFile("UpdateInfo/updating.xml", content);
        EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, now), blocks);
        EXPECT_EQ(fs::exists(LockFile()), blocks == 1) << "a lock that does not block is deleted";
    }
    fs::remove(LockFile());
    fs::create_directory(LockFile());
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, now), 0) << "a folder in the lock's place is nobody's lock";
}

TEST_F(SharedStateTest, TheHolderStampsItsHeartbeatUntilTheLockIsNotItsOwn) {
    const auto heartbeat = [&] { return ParseLockRecord(ReadFile(LockFile())).heartbeat; };
    ASSERT_EQ(TakeUpdatingLock(ctx, LocalTime(6, 12, 2026), std::chrono::milliseconds(20)), LockTake::kTaken);
    const std::string first = heartbeat();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (heartbeat() == first && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    std::time_t stamped = 0;
    ASSERT_TRUE(ParseHeartbeat(heartbeat(), &stamped)) << heartbeat();
    EXPECT_LE(std::abs(std::time(nullptr) - stamped), 5) << "stamped with the time of the stamp";

    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, "6.12.2026"));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ReadFile(LockFile()), Lock(kOtherGuid, "6.12.2026")) << "another workstation's lock is not stamped";
    ReleaseUpdatingLock(ctx, LocalTime(6, 12, 2026));
    EXPECT_TRUE(fs::exists(LockFile()));
}

TEST_F(SharedStateTest, ReadOnlyUpdateFolderFailsQuietlyAndKeepsFiles) {
    const std::string published = ReadFile(GuidFile());
    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, "1.1.2020"));
    // Checked in a child that cannot write the update folder (an unprivileged user under root).
    fs::permissions(tree.Root(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(tree.Root())) fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(ctx.updateDir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto checks = [&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return std::string("cannot drop privileges");
        std::string failures;
        const auto check = [&](bool held, const char* what) { failures += held ? "" : std::string(what) + "; "; };
        check(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(6, 12, 2026)) == 0, "stale lock blocks");
        check(Logged("ERROR Can't delete " + LockFile() + " : Permission denied"), "failed delete not logged");
        check(UpdateConfXML(ctx, kGuid, "5.3.0", "6.12.2026", "5.3.0", "1", "0", "0") == 0, "GUID.xml write succeeded");
        check(Logged("ERROR Can't write " + GuidFile() + " : Permission denied"), "failed GUID.xml write not logged");
        ReleaseUpdatingLock(ctx);
        check(TakeUpdatingLock(ctx, LocalTime(6, 12, 2026)) == LockTake::kFailed, "lock reported as taken");
        check(Logged("ERROR Can't write " + LockFile() + " : Permission denied"), "failed lock write not logged");
        check(SetLastUpdate(ctx, kGuid, LocalTime(6, 12, 2026)) == 0, "stamp reported as done");
        check(Read(AppId(), "Workstation", "LastUpdate") == "6.12.2026", "appid.xml not stamped");
        check(CreateDefaultConfig(ctx, kGuid, LocalTime(6, 12, 2026)) == 1, "appid.xml not written");
        check(ReadFile(GuidFile()) == published, "GUID.xml changed");
        return failures;
    };
    EXPECT_EXIT({ const std::string failures = checks(); std::cerr << failures; std::_Exit(failures.empty() ? 0 : 1); },
                ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::exists(LockFile())) << "the stale lock could not be deleted";
}

// A host package counts for exactly the installed version; a pack package
// when newer than the installed pack, or when there is none.
TEST_F(UpdateSharingTest, PackagesWaitingOnTheNetwork) {
    EXPECT_EQ(IsAnyUpdateOnNetwork(ctx), 0);
    EXPECT_TRUE(Logged("WARNING No files.xml found"));
    const std::string host = "<File Name=\"p.exe\" Version=\"5.2.0\" NewVersion=\"5.3.0\" />";
    const std::tuple<std::string, const char*, const char*, int> cases[] = {  // files.xml, version, pack, available
        {host, "5.2.0", "0", 1},
        {host, "5.2", "0", 0},
        {"<Sesam Name=\"s.exe\" Date=\"4.12.2026\" /><SesamAll Name=\"a.exe\" Date=\"4.12.2026\" />", "1.0", "4.12.2026", 0},
        {"<SESAM Name=\"s.exe\" Date=\"5.12.2026\" />", "1.0", "4.12.2026", 1},
        {"<sesamall Name=\"a.exe\" Date=\"1.1.2000\" />", "1.0", "0", 1},
        // A damaged files.xml holds no package.
        {host + "<File Version=\"5.2.0\" ", "5.2.0", "0", 0},
    };
    for (const auto& [entries, version, sesam, available] : cases) {
        SCOPED_TRACE(entries + " for " + version + ", pack " + sesam);
        tree.WriteFile("UpdateInfo/files.xml", "<Files>" + entries + "</Files>\n");
        ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", version, nullptr, nullptr), 1);
        ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Sesam", sesam, nullptr, nullptr), 1);
        EXPECT_EQ(IsAnyUpdateOnNetwork(ctx), available);
    }
    EXPECT_TRUE(Logged("WARNING Can't parse " + UpdateFile("files.xml") + " : Error parsing start element tag at offset 85"));
    EXPECT_TRUE(Logged("WARNING files.xml unusable, read as empty : " + UpdateFile("files.xml")));
}

TEST_F(UpdateSharingTest, OnlyAnotherWorkstationThatSharesCounts) {
    // This workstation's own file, written with another letter case, shares.
    std::filesystem::remove(GuidFile());
    UpdateConfXML(ctx, "{1A2B3C4D-5E6F-7A8B-9C0D-1E2F3A4B5C6D}", "1.0", "1.1.2026", "1.0", "1", "0", "0");
    UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000002}", "1.0", "1.1.2026", "1.0", "0", "0", "0");
    // A damaged state file, as a workstation killed while writing would leave it, shares nothing.
    tree.WriteFile("UpdateInfo/{00000000-0000-0000-0000-000000000004}.xml", "<Workstation><LastUpdate Type=\"1");
    EXPECT_EQ(CheckUpdateType(ctx, kGuid), 0);

    UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000003}", "1.0", "1.1.2026", "1.0", "1", "0", "0");
    EXPECT_EQ(CheckUpdateType(ctx, kGuid), 1);
}

}  // namespace
}  // namespace kt::config
