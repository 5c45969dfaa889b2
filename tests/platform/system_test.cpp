// What the module asks of the system: its folders, whether a network is up,
// the programs it starts, and what a failed call tells.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/file_identity.h"
#include "platform/network_state.h"
#include "platform/process.h"
#include "platform/system_paths.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace platform;
using SystemTest = PlatformTest;

// A variable set to nothing counts as unset: it never names a folder.
TEST_F(SystemTest, AnEmptyVariableGivesTheDefault) {
    const std::tuple<const char*, std::function<std::string()>, std::string> cases[] = {
        {"KT_WINDOWS_DIR", SystemPaths::WindowsDir, "/etc/talvo"},
        {"KT_RUNTIME_DIR", SystemPaths::RuntimeDir, (tree / "xdg/ktupdate").string()},
        {"XDG_RUNTIME_DIR", SystemPaths::RuntimeDir, "/tmp/ktupdate-" + std::to_string(getuid())},
    };
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = xdg ? xdg : "";
    setenv("XDG_RUNTIME_DIR", tree.MakeDir("xdg").c_str(), 1);
    for (const auto& [variable, folder, fallback] : cases) {
        setenv(variable, "", 1);
        EXPECT_EQ(folder(), fallback) << variable;
    }
    if (xdg) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(SystemTest, ARouteThroughAnInterfaceThatIsUpOtherThanLoopback) {
    const auto connected = [&] { return IsNetworkConnectedIn(tree / "proc", tree / "sys"); };
    const auto routes = [&](const std::string& ipv4, const std::string& ipv6) {
        tree.WriteFile("proc/net/route", "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" + ipv4);
        tree.WriteFile("proc/net/ipv6_route", ipv6);
    };
    EXPECT_FALSE(connected()) << "nothing readable";
    tree.WriteFile("sys/class/net/lo/flags", "0x9\n");
    tree.WriteFile("sys/class/net/eth0/flags", "0x1002\n");
    tree.WriteFile("sys/class/net/wlan0/flags", "0x1003\n");
    // Loopback, an interface down and a route not up do not count.
    routes("lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
           "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
           "wlan0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n",
           "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
           "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n");
    EXPECT_FALSE(connected());
    routes("wlan0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n", "");
    EXPECT_TRUE(connected());
    routes("", "fd000000000000000000000000000000 40 00000000000000000000000000000000 00 "
               "00000000000000000000000000000000 00000100 00000001 00000000 00000001    wlan0\n");
    EXPECT_TRUE(connected());
}

// The call, the object and the errno; the temporary made beside the target is gone.
TEST_F(SystemTest, AFailedCallNamesTheCallTheObjectAndTheSystemText) {
    const std::string folder = tree.MakeDir("folder").string();
    const auto replaced = ReplaceFileAtomically(folder, "x");
    ASSERT_FALSE(replaced);
    EXPECT_EQ(replaced.Error().Describe(), "rename " + folder + " : " + std::strerror(EISDIR));
    for (const auto& entry : fs::directory_iterator(tree.Root())) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary left behind";
    }
}

class ProcessTest : public PlatformTest {
protected:
    std::string Program(const char* name, const std::string& body, fs::perms perms = fs::perms::owner_all) {
        const fs::path path = tree.WriteFile(name, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, perms);
        return path.string();
    }
};

// True once `pid` has ended and waits to be collected.
bool BecomesZombie(int pid) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
        const auto end = stat.rfind(')');
        if (end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'Z') return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST_F(ProcessTest, ProgramGetsItsPathOnlyAndNoOpenDescriptorOfTheCaller) {
    const std::string out = (tree / "out.txt").string();
    const std::string body = "echo \"$0|$#\" > '" + out + "'\nls /proc/$$/fd >> '" + out + "'\nsleep 1\nexit 7";
    std::string error;
    EXPECT_FALSE(Process::Start(Program("program.sh", body, fs::perms::owner_read), &error));
    EXPECT_FALSE(error.empty()) << "not executable";

    const std::string program = Program("program.sh", body);
    const int inheritable = ::open("/dev/null", O_RDONLY);  // no close-on-exec
    auto process = Process::Start(program);
    ::close(inheritable);
    ASSERT_TRUE(process);
    EXPECT_TRUE(!process->WaitForExit(300ms) && process->IsRunning());
    ASSERT_TRUE(process->WaitForExit(kPatience, 50ms));
    EXPECT_FALSE(process->IsRunning());
    EXPECT_EQ(process->ExitCode(), 7);
    std::istringstream lines(ReadFile(out));
    std::string line;
    EXPECT_TRUE(std::getline(lines, line) && line == program + "|0") << line;
    while (std::getline(lines, line)) EXPECT_NE(line, std::to_string(inheritable));
}

// A program dropped unwaited is collected once it has ended: when dropped
// after its end, at once; when dropped running, by the next start.
TEST_F(ProcessTest, ADroppedProgramDoesNotStayAZombie) {
    const std::string quick = Program("quick.sh", "exit 0"), slow = Program("slow.sh", "sleep 0.5");
    const auto collected = [](int pid) { return waitpid(pid, nullptr, WNOHANG) == -1 && errno == ECHILD; };
    auto ended = Process::Start(quick);
    ASSERT_TRUE(ended && BecomesZombie(ended->Id()));
    const int endedId = ended->Id();
    ended.reset();
    EXPECT_TRUE(collected(endedId));

    auto running = Process::Start(slow);
    ASSERT_TRUE(running);
    const int runningId = running->Id();
    running.reset();
    ASSERT_TRUE(BecomesZombie(runningId));
    auto next = Process::Start(quick);
    EXPECT_TRUE(collected(runningId));
    EXPECT_TRUE(next->WaitForExit(kPatience, 10ms));
}

// A file read is removed only while it is the same file; nothing is left aside.
TEST_F(SystemTest, OnlyTheFileReadIsRemovedAndNothingIsLeftBeside) {
    const std::string path = tree.WriteFile("shared/lock", "mine").string();
    const auto mine = ReadIdentifiedFile(path);
    ASSERT_TRUE(mine);
    fs::rename(tree.WriteFile("shared/new", "theirs"), path);
    EXPECT_EQ(RemoveFileIfSame(path, mine->identity), RemoveOutcome::kReplaced);
    const auto theirs = ReadIdentifiedFile(path);
    ASSERT_TRUE(theirs && theirs->content == "theirs");
    EXPECT_EQ(RemoveFileIfSame(path, theirs->identity), RemoveOutcome::kRemoved);
    EXPECT_EQ(RemoveFileIfSame(path, theirs->identity), RemoveOutcome::kGone);
    EXPECT_TRUE(fs::is_empty(tree / "shared"));
}

}  // namespace
}  // namespace kt::test
