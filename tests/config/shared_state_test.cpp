// The files a workstation shares with the others: the network lock and the
// last-update date of its state file.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/default_config.h"
#include "config/last_update_stamp.h"
#include "config/node_data.h"
#include "config/updating_lock.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::LocalTime;

constexpr const char* kOtherGuid = "{00000000-1111-2222-3333-444444444444}";

class UpdatingLockTest : public test::ConfigTest {
protected:
    void SetUp() override { ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1); }

    std::string Lock() const { return UpdateFile("updating.xml"); }

    void WriteLock(const std::string& guid, const std::string& date) const {
        tree.WriteFile("UpdateInfo/updating.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\"" +
                                                      guid + "\">\n\t<LastUpdate>" + date +
                                                      "</LastUpdate>\n</Workstation>\n");
    }

    // The answer for a lock of `guid` dated `date`, seen on 6.12.2026 at 10:00.
    int Blocks(const std::string& guid, const std::string& date) {
        WriteLock(guid, date);
        return IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(6, 12, 2026, 10, 0));
    }
};

TEST_F(UpdatingLockTest, FreshLockOfAnotherWorkstationBlocks) {
    EXPECT_EQ(Blocks(kOtherGuid, "6.12.2026"), 1);
    EXPECT_EQ(Blocks(kOtherGuid, "5.12.2026"), 1) << "yesterday";
    EXPECT_EQ(Blocks(kOtherGuid, "9.12.2026"), 1) << "a clock ahead on the other workstation";
    EXPECT_TRUE(std::filesystem::exists(Lock())) << "a fresh lock is left alone";
}

TEST_F(UpdatingLockTest, StaleOrOwnLockIsDeleted) {
    const struct {
        std::string guid;
        std::string date;
    } cases[] = {
        {kOtherGuid, "4.12.2026"},       // two days ago
        {kGuid, "6.12.2026"},            // this workstation's own
        {"{1a2b3c4d-5e6f-7A8B-9c0d-1e2f3a4b5c6d}", "6.12.2026"},  // own, other letter case
        {kOtherGuid, "31.11.2026"},      // no such day
        {kOtherGuid, "6.12"},            // no year
        {kOtherGuid, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Blocks(c.guid, c.date), 0) << c.guid << " " << c.date;
        EXPECT_FALSE(std::filesystem::exists(Lock())) << c.guid << " " << c.date;
    }
    tree.WriteFile("UpdateInfo/updating.xml", "<Workstation GUID=\"");
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(6, 12, 2026)), 0);
    EXPECT_FALSE(std::filesystem::exists(Lock())) << "a lock that does not parse";
}

TEST_F(UpdatingLockTest, NoLockDoesNotBlock) {
    const std::size_t lines = log.Lines().size();
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash), 0);
    EXPECT_EQ(log.Lines().size(), lines);
}

TEST_F(UpdatingLockTest, LockIsTakenAndReleased) {
    SetUpdatingLock(ctx, true, LocalTime(6, 12, 2026, 23, 59));
    EXPECT_EQ(test::ReadFile(Lock()), std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\"") +
                                          kGuid + "\">\n\t<LastUpdate>6.12.2026</LastUpdate>\n</Workstation>\n");
    // Another workstation sees it, the next day too.
    ASSERT_EQ(SetNodeData(AppId(), nullptr, "Workstation", nullptr, "GUID", kOtherGuid), 1);
    EXPECT_EQ(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(7, 12, 2026, 1, 0)), 1);

    const std::size_t lines = log.Lines().size();
    SetUpdatingLock(ctx, false);
    EXPECT_FALSE(std::filesystem::exists(Lock()));
    SetUpdatingLock(ctx, false);
    EXPECT_EQ(log.Lines().size(), lines) << "releasing twice is quiet";
}

class LastUpdateStampTest : public test::ConfigTest {};

TEST_F(LastUpdateStampTest, StampsAppIdAndTheStateFile) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    EXPECT_EQ(SetLastUpdate(ctx, kGuid, LocalTime(6, 12, 2026)), 1);
    EXPECT_TRUE(log.Has("INFO Update lastUpdate date in appid.xml and GUID.xml"));
    for (const std::string& file : {AppId(), UpdateFile(std::string(kGuid) + ".xml")}) {
        std::string date;
        std::string type;
        GetNodeData(file, "Workstation", "LastUpdate", &date, 12, "Type", &type, 3);
        EXPECT_EQ(date, "6.12.2026") << file;
    }
    std::string firstRun;
    GetNodeData(AppId(), "Workstation", "LastUpdate", nullptr, 0, "FirstRun", &firstRun, 3);
    EXPECT_EQ(firstRun, "1") << "the attributes stay";

    std::filesystem::remove(UpdateFile(std::string(kGuid) + ".xml"));
    EXPECT_EQ(SetLastUpdate(ctx, kGuid, LocalTime(7, 12, 2026)), 0);
    EXPECT_FALSE(std::filesystem::exists(UpdateFile(std::string(kGuid) + ".xml")));
}

}  // namespace
}  // namespace kt::config
