// What the platform tests share: a temporary tree per test (so its named
// objects are its own), how long to wait, and the helper process of the
// cross-process tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
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

// The longest a test waits for something that should happen.
inline constexpr auto kPatience = 10s;
// A wake-up across processes must be prompt, far below any timeout, even on
// a loaded machine under a sanitizer.
inline constexpr auto kPrompt = 1s;

class PlatformTest : public ::testing::Test {
protected:
    TempTree tree;
};

// The named-objects helper, started with `arguments`; it talks through lines
// on its standard output. Killed and reaped at the end of the test.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        arguments.insert(arguments.begin(), KT_NAMED_OBJECTS_HELPER);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        output_ = ends[0];
    }
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line, without its end; nothing when none came in time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = kPatience) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        using std::chrono::duration_cast, std::chrono::milliseconds;
        while (pending_.find('\n') == std::string::npos) {
            const auto left = duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd ready{output_, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
            char buffer[256];
            const ssize_t got = read(output_, buffer, sizeof buffer);
            if (got <= 0) return std::nullopt;
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
        std::string line = pending_.substr(0, pending_.find('\n'));
        pending_.erase(0, line.size() + 1);
        return line;
    }
    void Kill() {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        if (output_ >= 0) close(output_);
        pid_ = output_ = -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
};

}  // namespace kt::test
