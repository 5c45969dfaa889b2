#include "update/clean_up.h"

#include <gtest/gtest.h>

#include <ctime>

#include "config/calendar_date.h"
#include "installer_fixture.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFresh = "{11111111-1111-1111-1111-111111111111}";
constexpr const char* kStale = "{22222222-2222-2222-2222-222222222222}";
constexpr const char* kUndated = "{33333333-3333-3333-3333-333333333333}";
constexpr const char* kUpperCase = "{44444444-4444-4444-4444-444444444444}";

class CleanUpTest : public test::InstallerFixture {
protected:
    std::string DaysAgo(int days) const {
        std::tm day = now_;
        day.tm_mday -= days;
        std::mktime(&day);
        return config::DateText(day);
    }
    // The state file `name` with `lastUpdate`, none when empty, and its uninstall folder.
    void Workstation(const std::string& name, const std::string& lastUpdate) {
        const std::string dated = lastUpdate.empty() ? "" : "<LastUpdate>" + lastUpdate + "</LastUpdate>";
        tree.WriteFile("UpdateInfo/" + name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation><Version>5.2.0"
                                             "</Version>" + dated + "</Workstation>\n");
        tree.WriteFile("UpdateInfo/$" + name.substr(0, name.find('.')) + "/5.1.0/backup.dat", "old");
    }
    bool Exists(const std::string& name) const { return fs::exists(ctx.updateDirSlash + name); }
    int Run() { return CleanUp(ctx, "ignored", now_); }

    std::tm now_ = [] {  // noon, 15 June 2026
        std::tm noon{};
        noon.tm_year = 2026 - 1900;
        noon.tm_mon = 5;
        noon.tm_mday = 15;
        noon.tm_hour = 12;
        noon.tm_isdst = -1;
        return noon;
    }();
};

TEST_F(CleanUpTest, WorkstationsSilentFor180DaysLeaveWithTheirFolder) {
    Workstation(std::string(kFresh) + ".xml", DaysAgo(179));
    Workstation(std::string(kStale) + ".xml", DaysAgo(180));
    // Without a date a workstation counts 30 days.
    Workstation(std::string(kUndated) + ".xml", "");
    Workstation(std::string(kUpperCase) + ".XML", DaysAgo(400));
    // Only "{*.xml" files are workstations.
    Workstation("files.xml", DaysAgo(400));
    tree.MakeDir("UpdateInfo/{55555555-5555-5555-5555-555555555555}.xml");

    EXPECT_EQ(Run(), 1);
    for (const char* kept : {kFresh, kUndated}) {
        EXPECT_TRUE(Exists(std::string(kept) + ".xml")) << kept;
        EXPECT_TRUE(Exists(std::string("$") + kept + "/5.1.0/backup.dat")) << kept;
    }
    for (const char* gone : {kStale, kUpperCase}) {
        EXPECT_FALSE(Exists(std::string("$") + gone)) << gone;
    }
    EXPECT_FALSE(Exists(std::string(kStale) + ".xml"));
    EXPECT_FALSE(Exists(std::string(kUpperCase) + ".XML"));
    EXPECT_TRUE(Exists("files.xml"));
    EXPECT_TRUE(Exists("{55555555-5555-5555-5555-555555555555}.xml"));
    EXPECT_TRUE(Logged("INFO Remove " + ctx.updateDirSlash + kStale +
                       ".xml directory because it is has not been updated for too long"));
    EXPECT_FALSE(Logged("INFO Remove " + ctx.updateDirSlash + kFresh +
                        ".xml directory because it is has not been updated for too long"));
}

TEST_F(CleanUpTest, FolderGoesToTheUsersTrashWhenThereIsOne) {
    const fs::path trash = tree.MakeDir("userdata/Trash");
    tree.WriteFile(std::string("userdata/Trash/files/$") + kStale, "an earlier one");
    Workstation(std::string(kStale) + ".xml", DaysAgo(200));

    EXPECT_EQ(Run(), 1);
    EXPECT_FALSE(Exists(std::string("$") + kStale));
    const std::string trashed = std::string("$") + kStale + ".2";
    EXPECT_EQ(test::ReadFile(trash / "files" / trashed / "5.1.0/backup.dat"), "old");
    const std::string info = test::ReadFile(trash / "info" / (trashed + ".trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
    EXPECT_NE(info.find("Path=" + ctx.updateDirSlash + "%24%7B22222222-2222-2222-2222-222222222222%7D\n"),
              std::string::npos);
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos);
    EXPECT_EQ(test::ReadFile(trash / "files" / (std::string("$") + kStale)), "an earlier one");
}

TEST_F(CleanUpTest, PendingInstallerReplacesTheCurrentOne) {
    tree.WriteFile("app/ktupdate.exe", "old installer");
    tree.WriteFile("app/ktupdate.ex~", "new installer");
    EXPECT_EQ(Run(), 0);  // no workstation file
    EXPECT_TRUE(Logged("INFO Update ktupdate.exe file"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ctx.appDir)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ktupdate.exe"});
    EXPECT_EQ(test::ReadFile(fs::path(ctx.appDir) / "ktupdate.exe"), "new installer");

    // Without a current one, the pending one simply takes its name.
    fs::remove(fs::path(ctx.appDir) / "ktupdate.exe");
    tree.WriteFile("app/ktupdate.ex~", "newer installer");
    ctx.updateDirSlash = (tree / "missing").string() + "/";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(test::ReadFile(fs::path(ctx.appDir) / "ktupdate.exe"), "newer installer");
}

}  // namespace
}  // namespace kt::update
