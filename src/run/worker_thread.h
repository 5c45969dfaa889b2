// A thread that cannot bring down the host: whatever escapes its work is
// caught at its entry and logged, and the owner's failure handler ends what
// the work was for (a transfer, a dial-up) as a failure would. The thread is
// joined when the object goes away.
#pragma once

#include <functional>
#include <string>
#include <thread>

namespace kt::run {

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `work` on a new thread named `name` in the log; `onFailure` runs
    // on that thread when `work` throws. Joins a previous thread first (lets
    // it go when called from it).
    // Throws std::system_error when no thread can be started.
    void Start(std::string name, std::function<void()> work, std::function<void()> onFailure);

    // Waits for the thread; does nothing when none runs, or when called
    // from the thread itself.
    void Join();
    bool Running() const { return thread_.joinable(); }
    // True on the thread itself.
    bool IsCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }

private:
    std::thread thread_;
};

// Runs `work`, catching everything: logs what escaped it, then runs
// `onFailure`, whose own escape is logged too. True when `work` ended normally.
bool RunGuarded(const std::string& name, const std::function<void()>& work, const std::function<void()>& onFailure);

}  // namespace kt::run
