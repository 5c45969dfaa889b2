// What the platform tests share: a temporary tree per test (so its named
// objects are its own), how long to wait, and the helper process of the
// cross-process tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_tree.h"

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

// The named-objects helper, started with `arguments` in the environment of
// the test; it talks through lines on its standard output. Killed and
// reaped at the end of the test.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line, without its end; nothing when none came in time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = kPatience);
    void Kill();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
};

}  // namespace kt::test
