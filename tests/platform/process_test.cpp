#include "platform/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using platform::Process;
using ProcessTest = PlatformTest;

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
    const fs::path program = tree.WriteFile(
        "program.sh", "#!/bin/sh\necho \"$0|$#\" > '" + out + "'\nls /proc/$$/fd >> '" + out + "'\nsleep 1\nexit 7\n");
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_write);
    std::string error;
    EXPECT_FALSE(Process::Start(program.string(), &error));  // not executable
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(Process::Start((tree / "absent.exe").string()));

    fs::permissions(program, fs::perms::owner_all);
    const int inheritable = ::open("/dev/null", O_RDONLY);  // no close-on-exec
    ASSERT_GE(inheritable, 3);
    auto process = Process::Start(program.string());
    ::close(inheritable);
    ASSERT_TRUE(process);
    // The wait is bounded, then the exit is seen.
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(process->WaitForExit(300ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 300ms);
    EXPECT_TRUE(process->IsRunning());
    ASSERT_TRUE(process->WaitForExit(kPatience, 50ms));
    EXPECT_FALSE(process->IsRunning());
    EXPECT_EQ(process->ExitCode(), 7);
    std::istringstream lines(ReadFile(out));
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first, program.string() + "|0");
    for (std::string fd; std::getline(lines, fd);) EXPECT_NE(fd, std::to_string(inheritable));
}

// A program dropped unwaited is collected once it has ended: when dropped
// after its end, at once; when dropped running, by the next start.
TEST_F(ProcessTest, ADroppedProgramDoesNotStayAZombie) {
    const auto program = [&](const char* name, const char* body) {
        const fs::path path = tree.WriteFile(name, std::string("#!/bin/sh\n") + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    };
    const std::string quick = program("quick.sh", "exit 0"), slow = program("slow.sh", "sleep 0.5");
    const auto expectCollected = [](int pid) {
        errno = 0;
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1) << "left for nobody to collect";
        EXPECT_EQ(errno, ECHILD);
    };
    auto ended = Process::Start(quick);
    ASSERT_TRUE(ended && BecomesZombie(ended->Id()));
    const int endedId = ended->Id();
    ended.reset();
    expectCollected(endedId);

    auto running = Process::Start(slow);
    ASSERT_TRUE(running);
    const int runningId = running->Id();
    running.reset();
    ASSERT_TRUE(BecomesZombie(runningId));
    auto next = Process::Start(quick);
    expectCollected(runningId);
    EXPECT_TRUE(next->WaitForExit(kPatience, 10ms));
}

}  // namespace
}  // namespace kt::test
