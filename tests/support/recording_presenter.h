// A presenter for unit tests: records every message shown and answers from a queue (OK when the queue is empty).
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "hostsuite/presenter.h"

namespace kt::test {

class RecordingPresenter : public hostsuite::Presenter {
public:
    int ShowMessage(const hostsuite::MessageRequest& request) override {
        std::lock_guard lock(mutex_);
        messages.push_back(request);
        return NextAnswer(hostsuite::kIdOk);
    }
    int ShowButtons(const hostsuite::ButtonsRequest&) override {
        std::lock_guard lock(mutex_);
        return NextAnswer(hostsuite::kIdButton2);
    }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string&) override { return std::nullopt; }
    int RunDialog(hostsuite::DialogModel&) override { return hostsuite::kIdCancel; }

    std::vector<hostsuite::MessageRequest> messages;
    std::deque<int> answers;

private:
    int NextAnswer(int fallback) {
        if (answers.empty()) return fallback;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::mutex mutex_;
};

}  // namespace kt::test
