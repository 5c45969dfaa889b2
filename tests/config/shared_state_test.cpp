// The files a workstation shares with the others: the network lock and the
// state file, and what happens when the shared folder cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "config/last_update_stamp.h"
#include "config/updating_lock.h"
#include "config/workstation_state_file.h"
#include "support/workstation.h"
#include "platform/host_identity.h"

namespace kt::config {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using SharedStateTest = test::ConfiguredWorkstation;
using test::kGuid;

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

// The id of a process that has ended.
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
    const std::string host = platform::HostName();
    const std::string boot = platform::BootId();
    const struct {
        std::string content;
        int blocks;
    } cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        tree.WriteFile("UpdateInfo/updating.xml", c.content);
        EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, now), c.blocks);
        EXPECT_EQ(fs::exists(LockFile()), c.blocks == 1) << "a lock that does not block is deleted";
    }
}

TEST_F(SharedStateTest, TheLockIsTakenOnlyOverAStaleOrOwnOne) {
    const std::tm now = LocalTime(6, 12, 2026, 23, 59);
    const struct {
        const char* what;
        std::optional<std::string> before;
        LockTake result;
    } cases[] = {
        {"none", std::nullopt, LockTake::kTaken},
        {"own", Lock(kGuid, "6.12.2026"), LockTake::kTaken},
        {"stale", Lock(kOtherGuid, "1.12.2026"), LockTake::kTaken},
        {"dead holder", Lock(kOtherGuid, "6.12.2026", Holder(platform::HostName(), DeadProcess(), platform::BootId(), "")),
         LockTake::kTaken},
        {"fresh", Lock(kOtherGuid, "6.12.2026"), LockTake::kHeldElsewhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.before) tree.WriteFile("UpdateInfo/updating.xml", *c.before);
        EXPECT_EQ(TakeUpdatingLock(ctx, now), c.result);
        const LockRecord lock = ParseLockRecord(ReadFile(LockFile()));
        if (c.result != LockTake::kTaken) {
            EXPECT_EQ(ReadFile(LockFile()), *c.before) << "another workstation's fresh lock is left alone";
            continue;
        }
        EXPECT_EQ(lock.guid + " " + lock.date + " " + lock.processId + " " + lock.heartbeat,
                  std::string(kGuid) + " 6.12.2026 " + std::to_string(getpid()) + " " + HeartbeatText(EpochOfLocal(now)));
        ReleaseUpdatingLock(ctx, now);
        EXPECT_FALSE(fs::exists(LockFile()));
    }
}

TEST_F(SharedStateTest, TheHolderStampsItsHeartbeatUntilTheLockIsNotItsOwn) {
    const auto heartbeat = [&] { return ParseLockRecord(ReadFile(LockFile())).heartbeat; };
    ASSERT_EQ(TakeUpdatingLock(ctx, LocalTime(6, 12, 2026), std::chrono::milliseconds(20)), LockTake::kTaken);
    const std::string first = heartbeat();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (heartbeat() == first && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::time_t stamped = 0;
    ASSERT_TRUE(ParseHeartbeat(heartbeat(), &stamped)) << heartbeat();
    EXPECT_LE(std::abs(std::time(nullptr) - stamped), 5) << "stamped with the time of the stamp";

    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, "6.12.2026"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(ReadFile(LockFile()), Lock(kOtherGuid, "6.12.2026")) << "another workstation's lock is not stamped";
    ReleaseUpdatingLock(ctx, LocalTime(6, 12, 2026));
    EXPECT_TRUE(fs::exists(LockFile()));
}

// A missing state file is not made again by the stamp.
TEST_F(SharedStateTest, LastUpdateIsNotStampedWithoutTheStateFile) {
    std::filesystem::remove(GuidFile());
    EXPECT_EQ(SetLastUpdate(ctx, kGuid, LocalTime(7, 12, 2026)), 0);
    EXPECT_FALSE(fs::exists(GuidFile()));
}

TEST_F(SharedStateTest, ReadOnlyUpdateFolderFailsQuietlyAndKeepsFiles) {
    const std::string published = ReadFile(GuidFile());
    tree.WriteFile("UpdateInfo/updating.xml", Lock(kOtherGuid, "1.1.2020"));
    // The checks run in a child that cannot write to the update folder: as
    // an unprivileged user when the tests run as root.
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
    EXPECT_EXIT(
        {
            const std::string failures = checks();
            std::cerr << failures;
            std::_Exit(failures.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::exists(LockFile())) << "the stale lock could not be deleted";
}

}  // namespace
}  // namespace kt::config
