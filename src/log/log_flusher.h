// The thread that writes the activity log's buffered lines out at a fixed
// interval, and once more when it stops.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kt::log {

class LogFlusher {
public:
    LogFlusher(std::function<void()> flush, std::chrono::milliseconds interval);
    ~LogFlusher();
    LogFlusher(const LogFlusher&) = delete;
    LogFlusher& operator=(const LogFlusher&) = delete;

private:
    void Loop();

    const std::function<void()> flush_;
    const std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace kt::log
