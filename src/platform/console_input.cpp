#include "platform/console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/sys_error.h"

namespace kt::platform {

namespace {

struct ConsoleBuffer {
    std::mutex mutex;
    std::string pending;
    bool closed = false;
};

ConsoleBuffer& Buffer() {
    static ConsoleBuffer buffer;
    return buffer;
}

bool TakeLine(ConsoleBuffer& buffer, std::string& line) {
    const auto end = buffer.pending.find('\n');
    if (end == std::string::npos) {
        if (!buffer.closed || buffer.pending.empty()) return false;
        line.swap(buffer.pending);
        buffer.pending.clear();
        return true;
    }
    line = buffer.pending.substr(0, end);
    buffer.pending.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// Waits until the input can be read or the time is up; reads what is there.
bool Fill(ConsoleBuffer& buffer, std::chrono::milliseconds wait) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, static_cast<int>(wait.count()));
    if (ready < 0) {
        if (errno != EINTR) buffer.closed = true;
        return true;
    }
    if (ready == 0) return false;
    char chunk[4096];
    const ssize_t got = RetryOnEintr([&] { return read(STDIN_FILENO, chunk, sizeof chunk); });
    if (got > 0) buffer.pending.append(chunk, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EAGAIN) buffer.closed = true;
    return true;
}

}  // namespace

ConsoleRead ReadConsoleLine(std::string& line, std::chrono::milliseconds timeout) {
    ConsoleBuffer& buffer = Buffer();
    std::lock_guard lock(buffer.mutex);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (TakeLine(buffer, line)) return ConsoleRead::Line;
        if (buffer.closed) return ConsoleRead::Closed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return ConsoleRead::Timeout;
        if (!Fill(buffer, left) && std::chrono::steady_clock::now() >= deadline) {
            return ConsoleRead::Timeout;
        }
    }
}

}  // namespace kt::platform
