#include "update/clean_up.h"

#include <gtest/gtest.h>

#include <chrono>

#include "config/calendar_date.h"
#include "installer_fixture.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFresh = "{11111111-1111-1111-1111-111111111111}";
constexpr const char* kStale = "{22222222-2222-2222-2222-222222222222}";
constexpr const char* kUndated = "{33333333-3333-3333-3333-333333333333}";

class CleanUpTest : public test::InstallerFixture {
protected:
    CleanUpTest() {
        now_.tm_year = 2026 - 1900;
        now_.tm_mon = 5;
        now_.tm_mday = 15;
        now_.tm_hour = 12;
        now_.tm_isdst = -1;
    }
    std::string DaysAgo(int days) const {
        using namespace std::chrono;
        const year_month_day day{sys_days{year{2026} / June / 15} - std::chrono::days{days}};
        return config::DateText(config::CalendarDate{static_cast<int>(static_cast<unsigned>(day.day())),
                                                     static_cast<int>(static_cast<unsigned>(day.month())),
                                                     static_cast<int>(day.year())});
    }
    void Workstation(const std::string& name, const std::string& lastUpdate) {
        const std::string dated = lastUpdate.empty() ? "" : "\t\t<LastUpdate>" + lastUpdate + "</LastUpdate>\n";
        tree.WriteFile("UpdateInfo/" + name,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation>\n\t<Version>5.2.0</Version>\n" + dated +
                           "</Workstation>\n");
    }
    void UninstallFolder(const std::string& guid) { tree.WriteFile("UpdateInfo/$" + guid + "/5.1.0/backup.dat", "old"); }
    fs::path Update(const std::string& name) const { return fs::path(ctx.updateDirSlash + name); }
    int Run() { return CleanUp(ctx, "ignored", now_); }

    std::tm now_{};
};

TEST_F(CleanUpTest, WorkstationsSilentFor180DaysLeaveWithTheirFolder) {
    Workstation(std::string(kFresh) + ".xml", DaysAgo(179));
    UninstallFolder(kFresh);
    Workstation(std::string(kStale) + ".xml", DaysAgo(180));
    UninstallFolder(kStale);
    Workstation(std::string(kUndated) + ".xml", "");
    Workstation("{44444444-4444-4444-4444-444444444444}.XML", DaysAgo(400));
    Workstation("files.xml", DaysAgo(400));
    tree.MakeDir("UpdateInfo/{55555555-5555-5555-5555-555555555555}.xml");

    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(fs::exists(Update(std::string(kFresh) + ".xml")));
    EXPECT_TRUE(fs::exists(Update(std::string("$") + kFresh + "/5.1.0/backup.dat")));
    EXPECT_FALSE(fs::exists(Update(std::string(kStale) + ".xml")));
    EXPECT_FALSE(fs::exists(Update(std::string("$") + kStale)));
    EXPECT_TRUE(fs::exists(Update(std::string(kUndated) + ".xml")));
    EXPECT_FALSE(fs::exists(Update("{44444444-4444-4444-4444-444444444444}.XML")));
    EXPECT_TRUE(fs::exists(Update("files.xml")));
    EXPECT_TRUE(fs::is_directory(Update("{55555555-5555-5555-5555-555555555555}.xml")));
    EXPECT_TRUE(Logged("INFO Remove " + ctx.updateDirSlash + kStale +
                       ".xml directory because it is has not been updated for too long"));
    EXPECT_FALSE(Logged("INFO Remove " + ctx.updateDirSlash + kFresh +
                        ".xml directory because it is has not been updated for too long"));
}

TEST_F(CleanUpTest, FolderGoesToTheUsersTrashWhenThereIsOne) {
    const fs::path trash = tree.MakeDir("userdata/Trash");
    tree.WriteFile(std::string("userdata/Trash/files/$") + kStale, "an earlier one");
    Workstation(std::string(kStale) + ".xml", DaysAgo(200));
    UninstallFolder(kStale);

    EXPECT_EQ(Run(), 1);
    EXPECT_FALSE(fs::exists(Update(std::string("$") + kStale)));
    const std::string trashed = std::string("$") + kStale + ".2";
    EXPECT_EQ(test::ReadFile(trash / "files" / trashed / "5.1.0/backup.dat"), "old");
    const std::string info = test::ReadFile(trash / "info" / (trashed + ".trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
    EXPECT_NE(info.find("Path=" + ctx.updateDirSlash + "%24%7B22222222-2222-2222-2222-222222222222%7D\n"),
              std::string::npos);
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos);
    EXPECT_EQ(test::ReadFile(trash / "files" / (std::string("$") + kStale)), "an earlier one");
}

TEST_F(CleanUpTest, NoWorkstationFileReturnsZero) {
    Workstation("files.xml", DaysAgo(400));
    EXPECT_EQ(Run(), 0);
    ctx.updateDirSlash = (tree / "missing").string() + "/";
    EXPECT_EQ(Run(), 0);
}

TEST_F(CleanUpTest, PendingInstallerReplacesTheCurrentOne) {
    tree.WriteFile("app/ktupdate.exe", "old installer");
    tree.WriteFile("app/ktupdate.ex~", "new installer");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Logged("INFO Update ktupdate.exe file"));
    EXPECT_EQ(test::ReadFile(fs::path(ctx.appDir) / "ktupdate.exe"), "new installer");
    EXPECT_FALSE(fs::exists(fs::path(ctx.appDir) / "ktupdate.ex~"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ctx.appDir)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ktupdate.exe"});

    // Without a current one, the pending one simply takes its name.
    fs::remove(fs::path(ctx.appDir) / "ktupdate.exe");
    tree.WriteFile("app/ktupdate.ex~", "newer installer");
    Run();
    EXPECT_EQ(test::ReadFile(fs::path(ctx.appDir) / "ktupdate.exe"), "newer installer");
}

}  // namespace
}  // namespace kt::update
