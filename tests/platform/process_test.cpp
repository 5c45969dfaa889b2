#include "platform/process.h"

#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using platform::Process;

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

}  // namespace
}  // namespace kt::test
