#include "log/log_flusher.h"

#include <utility>

namespace kt::log {

LogFlusher::LogFlusher(std::function<void()> flush, std::chrono::milliseconds interval)
    : flush_(std::move(flush)), interval_(interval), thread_([this] { Loop(); }) {}

LogFlusher::~LogFlusher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    flush_();
}

void LogFlusher::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, interval_, [this] { return stopping_; })) {
        lock.unlock();
        // A failure to write the log must not end the thread, nor the process.
        try {
            flush_();
        } catch (...) {
        }
        lock.lock();
    }
}

}  // namespace kt::log
