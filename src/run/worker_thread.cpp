#include "run/worker_thread.h"

#include <exception>

#include "log/activity_log.h"

namespace kt::run {
namespace {

std::string Describe(const std::exception_ptr& escaped) {
    try {
        std::rethrow_exception(escaped);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown exception";
    }
}

// Logging may itself fail (no memory): nothing of it may leave the thread.
void LogEscape(const std::string& name, const char* stage, const std::exception_ptr& escaped) noexcept {
    try {
        KT_LOG(Error) << "Worker thread " << name << " : " << stage << " : " << Describe(escaped);
    } catch (...) {
    }
}

}  // namespace

bool RunGuarded(const std::string& name, const std::function<void()>& work, const std::function<void()>& onFailure) {
    try {
        work();
        return true;
    } catch (...) {
        LogEscape(name, "stopped by an exception", std::current_exception());
    }
    try {
        if (onFailure) onFailure();
    } catch (...) {
        LogEscape(name, "failure handling stopped by an exception", std::current_exception());
    }
    return false;
}

WorkerThread::~WorkerThread() {
    Join();
    // Still joinable only when the owner goes away on this very thread.
    if (thread_.joinable()) thread_.detach();
}

void WorkerThread::Start(std::string name, std::function<void()> work, std::function<void()> onFailure) {
    Join();
    if (thread_.joinable()) thread_.detach();
    thread_ = std::thread([name = std::move(name), work = std::move(work), onFailure = std::move(onFailure)] {
        RunGuarded(name, work, onFailure);
    });
}

void WorkerThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace kt::run
