// Around a run: the record the host passes (each rule alone is met by the
// entry-point runs; here their order and bounds), when the next run comes,
// the wait for another workstation's lock, the failure journal and the
// clean-up of the shared folder and of a pending installer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <thread>

#include "config/calendar_date.h"
#include "dialogs/failure_warning.h"
#include "platform/machine_values.h"
#include "run/failure_journal.h"
#include "support/workstation.h"
#include "update/clean_up.h"
#include "update/record_validation.h"
#include "update/schedule_time.h"
#include "update/scheduler.h"

namespace kt::update {
namespace {

TEST(RecordValidationTest, TheFirstFailingRuleDecides) {
    test::TempTree tree;
    const std::string app = tree.MakeDir("app").string(), data = tree.MakeDir("data").string();
    const std::tuple<std::string, std::string, const char*, const char*, int> cases[] = {
        {app, data, nullptr, nullptr, 1084},                           // no practitioner, over a bad version
        {(tree / "nowhere").string(), data, "2", "Dr Martin", 1098},  // no application folder
        {app, "", "2", "Dr Martin", 1100},                             // data folder without terminator
    };
    for (const auto& [appDir, dataDir, minor, practitioner, problem] : cases) {
        tagKTUpdateStruct record;
        std::strcpy(record.szAppDir, appDir.c_str());
        std::strcpy(record.szDataDir, dataDir.c_str());
        if (dataDir.empty()) std::memset(record.szDataDir, 'x', sizeof record.szDataDir);
        std::tie(record.pszVerMajor, record.pszVerMinor, record.pszPractitioner) = std::tuple("5", minor, practitioner);
        EXPECT_EQ(FindRecordProblem(record), problem) << appDir << " " << dataDir;
    }
    tagKTUpdateStruct record;
    std::tie(record.pszVerMajor, record.pszVerMinor) = std::tuple("5", "10");
    EXPECT_EQ(RecordVersion(record), "5.10.0") << "a missing third part is zero";
}

// "d.m.y h:m:s" as a local date-time.
std::tm At(const char* text) {
    std::tm time{};
    std::istringstream(text) >> std::get_time(&time, "%d.%m.%Y %H:%M:%S");
    return time;
}

std::string Text(const NextRun& next) {
    if (next.atOnce) return "now";
    char text[40];
    std::snprintf(text, sizeof text, "%d.%d.%d %d:%02d:%02d", next.at.tm_mday, next.at.tm_mon + 1,
                  next.at.tm_year + 1900, next.at.tm_hour, next.at.tm_min, next.at.tm_sec);
    return text;
}

TEST(ScheduleTimeTest, NextRunIsTheComingScheduledTime) {
    // Frequency, day, time, now, first pass, next run; 9.12.2026 is a Wednesday, 7.12.2026 a Monday.
    const std::tuple<const char*, const char*, const char*, const char*, bool, const char*> cases[] = {
        {"1", "", "13:00", "9.12.2026 12:59:59", true, "9.12.2026 13:00:00"},
        {"1", "", "13:00", "9.12.2026 13:00:00", true, "10.12.2026 13:00:00"},
        {"1", "", "13:00", "31.12.2026 13:30:00", false, "1.1.2027 13:00:00"},
        {"7", "2", "13:00", "9.12.2026 10:00:00", true, "14.12.2026 13:00:00"},
        {"7", "2", "13:00", "7.12.2026 12:59:00", true, "7.12.2026 13:00:00"},
        {"7", "2", "13:00", "7.12.2026 13:00:00", true, "14.12.2026 13:00:00"},
        {"7", "1", "8:30", "31.12.2026 9:00:00", true, "3.1.2027 8:30:00"},
        {"7", "9", "13:00", "9.12.2026 10:00:00", true, "14.12.2026 13:00:00"},  // day 9 reads as Monday
        {"7", "", "13:00", "12.12.2026 14:00:00", true, "19.12.2026 13:00:00"},  // day 0 reads as Saturday
        {"7", "-2147483648", "13:00", "9.12.2026 10:00:00", true, "10.12.2026 13:00:00"},
        {"30", "15", "13:00", "20.12.2026 10:00:00", true, "15.1.2027 13:00:00"},
        {"30", "15", "13:00", "15.12.2026 13:00:00", true, "15.1.2027 13:00:00"},
        {"30", "20", "13:00", "15.12.2026 13:00:00", true, "20.12.2026 13:00:00"},
        {"30", "31", "13:00", "10.4.2026 10:00:00", true, "30.4.2026 13:00:00"},  // the month's last day
        {"30", "31", "13:00", "30.4.2026 14:00:00", true, "31.5.2026 13:00:00"},  // its last day gone: a month on
        {"30", "30", "13:00", "31.1.2026 10:00:00", true, "28.2.2026 13:00:00"},
        {"30", "30", "13:00", "31.1.2028 10:00:00", true, "29.2.2028 13:00:00"},
        {"30", "31", "13:00", "31.12.2026 13:00:00", true, "31.1.2027 13:00:00"},
        {"30", "", "13:00", "10.3.2026 10:00:00", true, "1.4.2026 13:00:00"},
        {"30", "99999999999", "13:00", "10.2.2026 10:00:00", true, "28.2.2026 13:00:00"},
        {"", "2", "13:00", "9.12.2026 10:00:00", true, "now"},
        {"2", "2", "13:00", "9.12.2026 14:00:00", false, "10.12.2026 13:00:00"},  // later passes are daily
        {"1", "", "8:05", "9.12.2026 8:00:00", true, "9.12.2026 8:05:00"},
        {"1", "", " 7 : 5", "9.12.2026 8:00:00", true, "10.12.2026 7:05:00"},
        {"1", "", "1300", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "", "9.12.2026 14:00:00", true, "10.12.2026 13:00:00"},
        {"1", "", "25:00", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "12:60", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
        {"1", "", "-1:30", "9.12.2026 12:00:00", true, "9.12.2026 13:00:00"},
    };
    for (const auto& [frequency, day, time, now, firstPass, next] : cases) {
        SCOPED_TRACE(std::string(frequency) + " / " + day + " / " + time + " at " + now);
        EXPECT_EQ(Text(NextScheduledRun({frequency, day, time}, At(now), firstPass)), next);
    }
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using SchedulerTest = test::ConfiguredWorkstation;

void WriteLock(const test::TempTree& tree, std::tm day) {
    std::mktime(&day);
    tree.WriteFile("UpdateInfo/updating.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workstation GUID=\""
                                              "{00000000-1111-2222-3333-444444444444}\">\n\t<LastUpdate>" +
                                                  config::DateText(day) + "</LastUpdate>\n</Workstation>\n");
}

TEST_F(SchedulerTest, AnotherWorkstationsFreshLockIsLookedAtAgainUntilItGoes) {
    WriteLock(tree, config::LocalNow());
    Scheduler scheduler({config::LocalNow, milliseconds(100)});
    std::thread otherWorkstation([&] {
        std::this_thread::sleep_for(milliseconds(600));
        std::filesystem::remove(LockFile());
    });
    const auto start = Clock::now();
    const int result = scheduler.WaitForUpdatingLock(ctx, 0);
    const auto waited = Clock::now() - start;
    otherWorkstation.join();
    EXPECT_EQ(result, 1);
    EXPECT_GE(waited, milliseconds(600));
    EXPECT_LE(waited, milliseconds(5000)) << "looked at again every 100 ms, not after minutes";

    // A lock two days old is the holder's no more: removed, and the run starts.
    std::tm twoDaysAgo = config::LocalNow();
    twoDaysAgo.tm_mday -= 2;
    WriteLock(tree, twoDaysAgo);
    EXPECT_EQ(scheduler.WaitForUpdatingLock(ctx, 0), 1);
    EXPECT_FALSE(std::filesystem::exists(LockFile()));
}

class FailureJournalTest : public test::Workstation {
protected:
    FailureJournalTest() { ctx.showFailureWarning = [this] { dialogs::ShowFailureWarning(ctx.ownerWindow, ctx.appTitle); }; }
    std::string File() const { return test::ReadFile(ctx.appDir + "mjlog.log"); }
    static std::uint32_t FailCount() { return platform::MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword().value_or(0); }
    int Write(int begin, int failed, const char* message = nullptr) {
        return run::WriteJournalAt(ctx, begin, failed, message, LocalTime(3, 3, 2020, 9, 5, 7));
    }
    static constexpr const char* kHeader = "------------- [3-3-2020, 9:05] -------------\r\n";
};

// Five failures in a row are journalled quietly; the sixth and every further
// one warn, until a clean run starts the count and the journal again.
TEST_F(FailureJournalTest, ANewJournalAfterACleanRunAGrowingOneAfterFailures) {
    ASSERT_EQ(Write(0, 0, "MJ_OLD : ancien"), 1);
    ASSERT_EQ(Write(1, 0), 1);
    ASSERT_EQ(Write(0, 0, "MJ_DWL_DU : Session créé."), 1);
    const std::string session = std::string(kHeader) + "9:05:7 - MJ_DWL_DU : Session créé.\r\n";
    EXPECT_EQ(File(), session);
    for (int run = 1; run <= 5; ++run) EXPECT_EQ(Write(0, 1), 0);
    EXPECT_EQ(FailCount(), 5u);
    EXPECT_TRUE(presenter->messages.empty());
    Write(1, 0);
    EXPECT_EQ(File(), session + kHeader);
    Write(0, 1);
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style), std::tuple(1018, "Talvo", 0x10u));
    Write(0, 1);
    EXPECT_EQ(presenter->messages.size(), 2u);
    EXPECT_EQ(Write(0, 0), 1);
    EXPECT_EQ(FailCount(), 0u);
    Write(1, 0);
    EXPECT_EQ(File(), kHeader);
    Write(0, 1);
    EXPECT_EQ(presenter->messages.size(), 2u);
}

TEST_F(FailureJournalTest, OneWriteCountsAFailureUnlessATransferErrorEndedTheRun) {
    const std::string app = ctx.appDir;
    // The application folder, the transfer's status, the result, the failures counted, whether it is journalled.
    const std::tuple<std::string, int, int, std::uint32_t, bool> cases[] = {
        {app, 0, 0, 1, true},
        {app, -2, 1, 0, true},                             // a transfer error
        {app.substr(0, app.size() - 1), 0, 0, 1, true},    // a folder without its separator
        {app + "missing/", 0, 0, 1, false},                // a journal that cannot be written
    };
    for (const auto& [appDir, downloadStatus, result, failures, journalled] : cases) {
        SCOPED_TRACE(appDir + " " + std::to_string(downloadStatus));
        std::filesystem::remove(app + "mjlog.log");
        (void)platform::MachineValue("Software/Talvo/Talvo", "FailCount").WriteDword(0);
        std::tie(ctx.appDir, ctx.m_nDownloadStatus) = std::tie(appDir, downloadStatus);
        EXPECT_EQ(Write(0, 1, "MJ_X : y"), result);
        EXPECT_EQ(FailCount(), failures);
        EXPECT_EQ(test::ReadFile(app + "mjlog.log"), journalled ? "9:05:7 - MJ_X : y\r\n" : "");
    }
}

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
        return std::mktime(&day), config::DateText(day);
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
    EXPECT_FALSE(Exists(std::string(kStale) + ".xml") || Exists(std::string(kUpperCase) + ".XML"));
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
