// Programs started by the module, and facts about the calling process.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kt::platform {

// How often the end of a started program is checked.
inline constexpr std::chrono::milliseconds kExitPollInterval{500};

class Process {
public:
    // Starts `program` with its own path as the whole command line, the
    // caller's environment and current folder, and no open descriptor of the
    // caller beyond the standard three. Null when it cannot be started;
    // `error` then tells why.
    static std::unique_ptr<Process> Start(const std::string& program, std::string* error = nullptr);
    // Leaves the program running; its end is collected later.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    int Id() const { return pid_; }
    // True until the program has ended (checked without waiting).
    bool IsRunning();
    // The exit status once it has ended (-1 when it was killed or its
    // status is unknown); nothing while it runs.
    std::optional<int> ExitCode();
    // Checks every `interval` until the program ends or `limit` has passed;
    // true when it ended.
    bool WaitForExit(std::chrono::milliseconds limit, std::chrono::milliseconds interval = kExitPollInterval);

private:
    explicit Process(int pid) : pid_(pid) {}
    int pid_;
    std::optional<int> exitCode_;
};

std::uint32_t CurrentProcessId();

// Full path of the calling process's program file; empty when unknown.
std::string CurrentProgramPath();

}  // namespace kt::platform
