// A helper process of the cross-process tests, talking to the test through
// lines on its standard output. Killed and reaped at the end of the test.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kt::test {

class ChildProcess {
public:
    // Starts the named-objects helper with `arguments`, in the environment
    // of the test (so in its temporary tree).
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The next line, without its end; nothing when none came in time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void Kill();
    // The exit code; nothing when the process did not end in time.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
};

}  // namespace kt::test
