// The files a workstation shares with the others: the network lock and the
// state file, and what happens when the shared folder cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <unistd.h>

#include "config/last_update_stamp.h"
#include "config/updating_lock.h"
#include "config/workstation_state_file.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using SharedStateTest = test::ConfiguredTest;

constexpr const char* kOtherGuid = "{00000000-1111-2222-3333-444444444444}";

// The lock a workstation leaves while it updates.
std::string Lock(const std::string& guid, const std::string& date) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\"" + guid + "\">\n\t<LastUpdate>" + date +
           "</LastUpdate>\n</Workstation>\n";
}

TEST_F(SharedStateTest, OnlyAFreshLockOfAnotherWorkstationBlocks) {
    const std::size_t linesBefore = Log().size();
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash), 0);
    EXPECT_EQ(Log().size(), linesBefore) << "no lock, nothing to say";
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
        {Lock(kOtherGuid, "6.12"), 0},
        {Lock(kOtherGuid, ""), 0},
        {"<Workstation GUID=\"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        tree.WriteFile("UpdateInfo/updating.xml", c.content);
        EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(6, 12, 2026, 10, 0)), c.blocks);
        EXPECT_EQ(fs::exists(LockFile()), c.blocks == 1) << "a lock that does not block is deleted";
    }
}

TEST_F(SharedStateTest, LockIsTakenAndReleased) {
    SetUpdatingLock(ctx, true, LocalTime(6, 12, 2026, 23, 59));
    EXPECT_EQ(ReadFile(LockFile()), Lock(kGuid, "6.12.2026"));
    // Another workstation sees it, the next day too.
    ASSERT_EQ(SetNodeData(AppId(), nullptr, "Workstation", nullptr, "GUID", kOtherGuid), 1);
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(7, 12, 2026, 1, 0)), 1);
    const std::size_t linesBefore = Log().size();
    SetUpdatingLock(ctx, false);
    EXPECT_FALSE(fs::exists(LockFile()));
    SetUpdatingLock(ctx, false);
    EXPECT_EQ(Log().size(), linesBefore) << "releasing twice is quiet";
}

TEST_F(SharedStateTest, LastUpdateIsStampedInAppIdAndTheStateFile) {
    EXPECT_EQ(SetLastUpdate(ctx, kGuid, LocalTime(6, 12, 2026)), 1);
    EXPECT_EQ(Logged("INFO Update lastUpdate date in appid.xml and GUID.xml"), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(GuidFile(), "Workstation", "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(AppId(), "Workstation", "LastUpdate", "FirstRun"), "1") << "the attributes stay";
    fs::remove(GuidFile());
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
        check(Logged("ERROR Can't delete " + LockFile() + " : Permission denied") == 1, "failed delete not logged");
        check(UpdateConfXML(ctx, kGuid, "5.3.0", "6.12.2026", "5.3.0", "1", "0", "0") == 0, "GUID.xml write succeeded");
        check(Logged("ERROR Can't write " + GuidFile() + " : Permission denied") == 1, "failed GUID.xml write not logged");
        SetUpdatingLock(ctx, false);
        SetUpdatingLock(ctx, true, LocalTime(6, 12, 2026));
        check(Logged("ERROR Can't write " + LockFile() + " : Permission denied") == 1, "failed lock write not logged");
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
