#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "support/temp_tree.h"

namespace kt::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ProcessTest : public ::testing::Test {
protected:
    std::string Script(const std::string& name, const std::string& body) {
        const fs::path path = tree_.WriteFile(name, "#!/bin/sh\n" + body);
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }
    test::TempTree tree_;
};

TEST_F(ProcessTest, ProgramGetsItsPathAsCommandLineAndNoOpenDescriptorOfTheCaller) {
    const int inheritable = ::open("/dev/null", O_RDONLY);  // no close-on-exec
    ASSERT_GE(inheritable, 3);
    const std::string out = (tree_ / "out.txt").string();
    const std::string program =
        Script("show.sh", "echo \"$0|$#\" > '" + out + "'\nls /proc/$$/fd >> '" + out + "'\nexit 7\n");
    auto process = Process::Start(program);
    ::close(inheritable);
    ASSERT_TRUE(process);
    ASSERT_TRUE(process->WaitForExit(10s, 50ms));
    EXPECT_EQ(process->ExitCode(), 7);
    EXPECT_FALSE(process->IsRunning());
    std::istringstream lines(test::ReadFile(out));
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first, program + "|0");
    for (std::string fd; std::getline(lines, fd);) EXPECT_NE(fd, std::to_string(inheritable));
}

TEST_F(ProcessTest, MissingOrNonExecutableProgramDoesNotStart) {
    std::string error;
    EXPECT_FALSE(Process::Start((tree_ / "absent.exe").string(), &error));
    EXPECT_FALSE(error.empty());
    const fs::path plain = tree_.WriteFile("plain.exe", "not a program");
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(Process::Start(plain.string()));
}

TEST_F(ProcessTest, WaitIsBoundedAndPolled) {
    auto process = Process::Start(Script("sleep.sh", "sleep 2\n"));
    ASSERT_TRUE(process);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(process->WaitForExit(600ms));
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, 600ms);
    EXPECT_LT(waited, 5s);
    EXPECT_TRUE(process->IsRunning());
    EXPECT_TRUE(process->WaitForExit(10s));
    EXPECT_EQ(process->ExitCode(), 0);
}

}  // namespace
}  // namespace kt::platform
