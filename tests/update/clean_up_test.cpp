// The clean-up at the end of a run: workstations silent too long leave the
// shared folder, and a pending installer takes the current one's place.
#include "update/clean_up.h"

#include <gtest/gtest.h>

#include "config/calendar_date.h"
#include "support/workstation.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFresh = "{11111111-1111-1111-1111-111111111111}";
constexpr const char* kStale = "{22222222-2222-2222-2222-222222222222}";
constexpr const char* kUndated = "{33333333-3333-3333-3333-333333333333}";
constexpr const char* kUpperCase = "{44444444-4444-4444-4444-444444444444}";
constexpr const char* kFolder = "{55555555-5555-5555-5555-555555555555}";

class CleanUpTest : public test::Workstation {
protected:
    std::string DaysAgo(int days) const {
        std::tm day = now;
        day.tm_mday -= days;
        std::mktime(&day);
        return config::DateText(day);
    }
    // The state file `guid` + `extension` with `lastUpdate` (none when empty), and its uninstall folder.
    void Station(const std::string& guid, const std::string& lastUpdate, const std::string& extension = ".xml") {
        const std::string dated = lastUpdate.empty() ? "" : "<LastUpdate>" + lastUpdate + "</LastUpdate>";
        tree.WriteFile("UpdateInfo/" + guid + extension, "<?xml version=\"1.0\"?>\n<Workstation>" + dated + "</Workstation>\n");
        tree.WriteFile("UpdateInfo/$" + guid + "/5.1.0/backup.dat", "old");
    }
    bool Exists(const std::string& name) const { return fs::exists(ctx.updateDirSlash + name); }

    std::tm now = LocalTime(15, 6, 2026);
};

TEST_F(CleanUpTest, WorkstationsSilentFor180DaysLeaveWithTheirFolder) {
    Station(kFresh, DaysAgo(179));
    Station(kStale, DaysAgo(180));
    Station(kUndated, "");  // counts 30 days
    Station(kUpperCase, DaysAgo(400), ".XML");
    Station("files", DaysAgo(400));  // only "{*.xml" files are workstations
    tree.MakeDir(std::string("UpdateInfo/") + kFolder + ".xml");

    EXPECT_EQ(CleanUp(ctx, "ignored", now), 1);
    for (const std::string kept : {kFresh, kUndated, kFolder}) EXPECT_TRUE(Exists(kept + ".xml")) << kept;
    for (const std::string kept : {kFresh, kUndated}) EXPECT_TRUE(Exists("$" + kept + "/5.1.0/backup.dat")) << kept;
    for (const std::string gone : {kStale, kUpperCase}) EXPECT_FALSE(Exists("$" + gone)) << gone;
    EXPECT_FALSE(Exists(std::string(kStale) + ".xml"));
    EXPECT_FALSE(Exists(std::string(kUpperCase) + ".XML"));
    EXPECT_TRUE(Exists("files.xml"));
    EXPECT_EQ(CountLogged("INFO Remove " + ctx.updateDirSlash + kStale +
                          ".xml directory because it is has not been updated for too long"), 1);
}

TEST_F(CleanUpTest, FolderGoesToTheUsersTrashWhenThereIsOne) {
    const fs::path trash = tree.MakeDir("userdata/Trash");
    tree.WriteFile(std::string("userdata/Trash/files/$") + kStale, "an earlier one");
    Station(kStale, DaysAgo(200));

    EXPECT_EQ(CleanUp(ctx, "ignored", now), 1);
    EXPECT_FALSE(Exists(std::string("$") + kStale));
    const std::string trashed = std::string("$") + kStale + ".2";
    EXPECT_EQ(test::ReadFile(trash / "files" / trashed / "5.1.0/backup.dat"), "old");
    const std::string info = test::ReadFile(trash / "info" / (trashed + ".trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + ctx.updateDirSlash + "%24%7B22222222-2222-2222-2222-222222222222%7D\n", 0), 0u);
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos);
    EXPECT_EQ(test::ReadFile(trash / "files" / (std::string("$") + kStale)), "an earlier one");
}

TEST_F(CleanUpTest, PendingInstallerReplacesTheCurrentOne) {
    for (const bool current : {true, false}) {
        SCOPED_TRACE(current);
        if (current) tree.WriteFile("app/ktupdate.exe", "old installer");
        if (!current) ctx.updateDirSlash = (tree / "missing").string() + "/";
        tree.WriteFile("app/ktupdate.ex~", "new installer");
        EXPECT_EQ(CleanUp(ctx, "ignored", now), 0);  // no workstation file
        EXPECT_TRUE(Logged("INFO Update ktupdate.exe file"));
        EXPECT_EQ(std::distance(fs::directory_iterator(ctx.appDir), {}), 1);
        EXPECT_EQ(test::ReadFile(ctx.appDir + "ktupdate.exe"), "new installer");
        fs::remove(ctx.appDir + "ktupdate.exe");
    }
}

}  // namespace
}  // namespace kt::update
