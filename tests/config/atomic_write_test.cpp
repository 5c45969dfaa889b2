// Files other workstations read, and the configuration a crash must not
// lose, are replaced whole or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <random>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/default_config.h"
#include "config/last_update_stamp.h"
#include "config/node_data.h"
#include "config/updating_lock.h"
#include "config/workstation_state_file.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::LocalTime;
using test::ReadFile;

class AtomicWriteTest : public test::ConfigTest {
protected:
    // appid.xml as it is with `version` as its Version text.
    std::string AppIdWithVersion(const char* version) {
        EXPECT_EQ(SetNodeData(AppId(), "Workstation", "Version", version, nullptr, nullptr), 1);
        return ReadFile(AppId());
    }
};

// Starts the writer on appid.xml; returns its pid and the read end of its output.
pid_t StartWriter(const std::string& appId, int& output) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(KT_APPID_WRITER, KT_APPID_WRITER, appId.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    output = fds[0];
    return pid;
}

bool WaitForByte(int fd, int timeoutMs) {
    pollfd wait{fd, POLLIN, 0};
    char byte = 0;
    return poll(&wait, 1, timeoutMs) == 1 && read(fd, &byte, 1) == 1;
}

TEST_F(AtomicWriteTest, WriterKilledAtAnyMomentLeavesAWholeFile) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    const std::string oldFile = AppIdWithVersion("5.3.0");
    const std::string newFile = AppIdWithVersion("5.2.0");
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> delayUs(0, 3000);

    for (int kill = 0; kill < 100; ++kill) {
        int output = -1;
        const pid_t writer = StartWriter(AppId(), output);
        ASSERT_GT(writer, 0);
        const bool started = WaitForByte(output, 10000);
        close(output);
        if (started) std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(started) << "the writer did not start";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

        const std::string content = ReadFile(AppId());
        ASSERT_TRUE(content == oldFile || content == newFile) << "after kill " << kill << ":\n" << content;
    }
}

// Runs `checks` in a child process that cannot write to the update folder
// (as an unprivileged user when the tests run as root); returns what it
// reported, empty when every check held.
std::string RunWithoutWriteAccess(const std::filesystem::path& root, const std::filesystem::path& updateDir,
                                  const std::function<std::string()>& checks) {
    std::filesystem::permissions(root, std::filesystem::perms::all);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::all);
    }
    std::filesystem::permissions(updateDir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                                std::filesystem::perms::group_read |
                                                std::filesystem::perms::group_exec |
                                                std::filesystem::perms::others_read |
                                                std::filesystem::perms::others_exec);
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string report;
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) report = "cannot drop privileges";
        if (report.empty()) report = checks();
        const ssize_t written = write(fds[1], report.data(), report.size());
        _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::filesystem::permissions(updateDir, std::filesystem::perms::owner_all);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " (child ended abnormally)";
    return report;
}

TEST_F(AtomicWriteTest, ReadOnlyUpdateFolderFailsQuietlyAndKeepsFiles) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    const std::string guidFile = UpdateFile(std::string(kGuid) + ".xml");
    const std::string published = ReadFile(guidFile);
    tree.WriteFile("UpdateInfo/updating.xml",
                   "<Workstation GUID=\"{other}\"><LastUpdate>1.1.2020</LastUpdate></Workstation>");

    const std::string report = RunWithoutWriteAccess(tree.Root(), ctx.updateDir, [&] {
        std::string failures;
        auto check = [&](bool held, const char* what) {
            if (!held) failures += std::string(what) + "; ";
        };
        const std::string lock = UpdateFile("updating.xml");
        check(IsUpdateRunningElsewhere(ctx, ctx.updateDirSlash, LocalTime(6, 12, 2026)) == 0, "stale lock blocks");
        check(log.Has("ERROR Can't delete " + lock + " : Permission denied"), "failed delete not logged");

        check(UpdateConfXML(ctx, kGuid, "5.3.0", "6.12.2026", "5.3.0", "1", "0", "0") == 0, "GUID.xml write succeeded");
        check(log.Has("ERROR Can't write " + guidFile + " : Permission denied"), "failed GUID.xml write not logged");
        check(ReadFile(guidFile) == published, "GUID.xml changed");

        SetUpdatingLock(ctx, false);
        SetUpdatingLock(ctx, true, LocalTime(6, 12, 2026));
        check(log.Has("ERROR Can't write " + lock + " : Permission denied"), "failed lock write not logged");

        check(SetLastUpdate(ctx, kGuid, LocalTime(6, 12, 2026)) == 0, "stamp reported as done");
        std::string date;
        GetNodeData(AppId(), "Workstation", "LastUpdate", &date, 12, nullptr, nullptr, 0);
        check(date == "6.12.2026", "appid.xml not stamped");
        check(CreateDefaultConfig(ctx, kGuid, LocalTime(6, 12, 2026)) == 1, "appid.xml not written");
        check(ReadFile(guidFile) == published, "GUID.xml changed");
        return failures;
    });
    EXPECT_EQ(report, "");
    EXPECT_TRUE(std::filesystem::exists(UpdateFile("updating.xml"))) << "the stale lock could not be deleted";
}

}  // namespace
}  // namespace kt::config
