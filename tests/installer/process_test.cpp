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

TEST(ProcessTest, ProgramGetsItsPathOnlyAndNoOpenDescriptorOfTheCaller) {
    test::TempTree tree;
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
    ASSERT_TRUE(process->WaitForExit(10s, 50ms));
    EXPECT_FALSE(process->IsRunning());
    EXPECT_EQ(process->ExitCode(), 7);
    std::istringstream lines(test::ReadFile(out));
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first, program.string() + "|0");
    for (std::string fd; std::getline(lines, fd);) EXPECT_NE(fd, std::to_string(inheritable));
}

}  // namespace
}  // namespace kt::platform
