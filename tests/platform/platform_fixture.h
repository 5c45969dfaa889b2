// What the platform tests share: a temporary tree per test (so its named
// objects are its own) and the helper process of the cross-process tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_tree.h"

extern char** environ;

namespace kt::test {

using namespace std::chrono_literals;

inline constexpr auto kPatience = 10s;  // the longest a test waits for what should happen

class PlatformTest : public ::testing::Test {
protected:
    TempTree tree;
};

// The named-objects helper, started with `arguments`, talking through lines
// on its standard output; killed and reaped at the end of the test.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return;
        arguments.insert(arguments.begin(), KT_NAMED_OBJECTS_HELPER);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        output_ = ends[0];
    }
    ~ChildProcess() { Kill(); }

    // The next line, without its end; nothing once the helper has ended (it
    // bounds its own waits).
    std::optional<std::string> ReadLine() {
        std::string line;
        for (char c; read(output_, &c, 1) == 1; line += c) {
            if (c == '\n') return line;
        }
        return std::nullopt;
    }
    void Kill() {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        if (output_ >= 0) close(output_);
        pid_ = output_ = -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

}  // namespace kt::test
