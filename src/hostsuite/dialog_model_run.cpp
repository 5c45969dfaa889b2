// The modal run of a dialog model: work posted by other threads, the run's
// beginning and end, and the wait that keeps draining while it waits.
#include <exception>
#include <utility>

#include "hostsuite/dialog_model.h"

namespace kt::hostsuite {

struct DialogModel::CallState {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ran = false;
    // What the call threw, for the thread that waits for it.
    std::exception_ptr error;

    void Finish(bool hasRun, std::exception_ptr thrown = nullptr) {
        std::lock_guard lock(mutex);
        done = true;
        ran = hasRun;
        error = std::move(thrown);
        finished.notify_all();
    }
};

bool DialogModel::Post(Posted posted) {
    std::lock_guard lock(mutex_);
    if (!running_ || ended_) return false;
    posted_.push_back(std::move(posted));
    changed_.notify_all();
    return true;
}

void DialogModel::PostCommand(int id) {
    Posted posted;
    posted.kind = Posted::Kind::Command;
    posted.id = id;
    Post(std::move(posted));
}

void DialogModel::PostCall(std::function<void()> call) {
    Posted posted;
    posted.kind = Posted::Kind::Call;
    posted.call = std::move(call);
    Post(std::move(posted));
}

void DialogModel::RequestRestore() {
    Posted posted;
    posted.kind = Posted::Kind::Restore;
    Post(std::move(posted));
}

bool DialogModel::CallOnDialogThread(std::function<void()> call) {
    {
        std::unique_lock lock(mutex_);
        const bool onDialogThread = running_ && !ended_ && std::this_thread::get_id() == dialogThread_;
        lock.unlock();
        if (onDialogThread) {
            call();
            return true;
        }
    }
    auto waiter = std::make_shared<CallState>();
    Posted posted;
    posted.kind = Posted::Kind::Call;
    posted.call = std::move(call);
    posted.waiter = waiter;
    if (!Post(std::move(posted))) return false;
    // Bounded by the run: the call either runs or is dropped when the run ends.
    std::unique_lock lock(waiter->mutex);
    waiter->finished.wait(lock, [&] { return waiter->done; });
    if (waiter->error) std::rethrow_exception(waiter->error);
    return waiter->ran;
}

void DialogModel::DropPosted(std::deque<Posted>& dropped) {
    for (Posted& posted : dropped) {
        if (posted.waiter) posted.waiter->Finish(false);
    }
    dropped.clear();
}

void DialogModel::RunPosted(Posted& posted) {
    switch (posted.kind) {
        case Posted::Kind::Command:
            Command(posted.id);
            break;
        case Posted::Kind::Call:
            if (posted.waiter) {
                // The thread that asked gets what the call threw; the dialog runs on.
                try {
                    if (posted.call) posted.call();
                } catch (...) {
                    posted.waiter->Finish(true, std::current_exception());
                    return;
                }
            } else if (posted.call) {
                posted.call();
            }
            break;
        case Posted::Kind::Restore:
            OnRestore();
            break;
    }
    if (posted.waiter) posted.waiter->Finish(true);
}

void DialogModel::DrainPosted() {
    for (;;) {
        Posted next;
        {
            std::lock_guard lock(mutex_);
            if (ended_ || posted_.empty()) return;
            next = std::move(posted_.front());
            posted_.pop_front();
        }
        RunPosted(next);
    }
}

bool DialogModel::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        DrainPosted();
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            if (ended_) return false;
            seen = changes_;
        }
        if (done()) return true;
        std::unique_lock lock(mutex_);
        const bool woken = changed_.wait_until(lock, deadline, [&] {
            return ended_ || changes_ != seen || !posted_.empty();
        });
        if (!woken) return false;
    }
}

void DialogModel::EndDialog(int result) {
    std::lock_guard lock(mutex_);
    ended_ = true;
    result_ = result;
    Changed();
}

bool DialogModel::Ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

int DialogModel::Result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

void DialogModel::BeginModal() {
    std::deque<Posted> stale;
    {
        std::lock_guard lock(mutex_);
        stale.swap(posted_);
        running_ = true;
        ended_ = false;
        result_ = 0;
        dialogThread_ = std::this_thread::get_id();
        Changed();
    }
    DropPosted(stale);
    OnInitDialog();
    if (!Ended()) {
        // The window is painted once it shows; a dialog that ended during
        // its initialisation never shows.
        static char surface;
        OnEraseBackground(&surface);
    }
}

void DialogModel::EndModal() {
    std::deque<Posted> pending;
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        ended_ = true;
        pending.swap(posted_);
        Changed();
    }
    DropPosted(pending);
    OnDestroy();
}

}  // namespace kt::hostsuite
