#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace kt::platform {
namespace {

// Children dropped while still running; collected whenever a program is
// started or dropped, so that none stays a zombie for long.
std::mutex abandonedMutex;
std::vector<int> abandoned;

void CollectAbandoned() {
    std::lock_guard lock(abandonedMutex);
    std::erase_if(abandoned, [](int pid) {
        const pid_t rc = ::waitpid(pid, nullptr, WNOHANG);
        return rc == pid || (rc < 0 && errno == ECHILD);
    });
}

}  // namespace

std::unique_ptr<Process> Process::Start(const std::string& program, std::string* error) {
    CollectAbandoned();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::string argument = program;
    char* argv[] = {argument.data(), nullptr};
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error != nullptr) *error = std::strerror(rc);
        return nullptr;
    }
    return std::unique_ptr<Process>(new Process(pid));
}

Process::~Process() {
    if (!exitCode_) {
        std::lock_guard lock(abandonedMutex);
        abandoned.push_back(pid_);
    }
    CollectAbandoned();
}

std::optional<int> Process::ExitCode() {
    if (exitCode_) return exitCode_;
    int status = 0;
    const pid_t rc = ::waitpid(pid_, &status, WNOHANG);
    if (rc == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else if (rc < 0 && errno == ECHILD) {
        // Someone else collected it (a host that ignores SIGCHLD, for one).
        exitCode_ = -1;
    }
    return exitCode_;
}

bool Process::IsRunning() { return !ExitCode().has_value(); }

bool Process::WaitForExit(std::chrono::milliseconds limit, std::chrono::milliseconds interval) {
    using Clock = std::chrono::steady_clock;
    const auto now = Clock::now();
    // A limit past the clock's range (milliseconds::max()) means no limit.
    const auto deadline = limit >= std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now)
                              ? Clock::time_point::max()
                              : now + limit;
    while (IsRunning()) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(interval, left));
    }
    return true;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

std::string CurrentProgramPath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

}  // namespace kt::platform
