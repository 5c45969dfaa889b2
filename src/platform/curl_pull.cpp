#include "platform/curl_pull.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>

namespace kt::platform {
namespace {

// What libcurl may hold for the reader before the transfer pauses; beyond
// it the server waits, so memory stays bounded whatever the reader's pace.
constexpr std::size_t kHighWater = 2 << 20;
constexpr int kPollMs = 100;

std::atomic<std::chrono::milliseconds::rep> stallLimitMs{CurlPull::kStallLimit.count()};

}  // namespace

void CurlPull::SetStallLimit(std::chrono::milliseconds limit) { stallLimitMs = limit.count(); }

std::chrono::milliseconds CurlPull::StallLimit() { return std::chrono::milliseconds(stallLimitMs.load()); }

CurlPull::CurlPull(void* easy) : easy_(easy), multi_(curl_multi_init()) {}

CurlPull::~CurlPull() {
    Finish();
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
}

void CurlPull::Start(bool keepBody) {
    Finish();
    keepBody_ = keepBody;
    ended_ = false;
    paused_ = false;
    result_ = CURLE_OK;
    received_.clear();
    readAt_ = 0;
    stallLimit_ = StallLimit();
    if (easy_ == nullptr || multi_ == nullptr) {
        ended_ = true;
        result_ = CURLE_FAILED_INIT;
        return;
    }
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlPull::OnWrite);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        ended_ = true;
        result_ = CURLE_FAILED_INIT;
        return;
    }
    running_ = true;
}

void CurlPull::Finish() {
    if (running_) curl_multi_remove_handle(multi_, easy_);
    running_ = false;
    received_.clear();
    received_.shrink_to_fit();
    readAt_ = 0;
}

std::size_t CurlPull::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
    auto* pull = static_cast<CurlPull*>(self);
    const std::size_t length = size * count;
    if (!pull->keepBody_) return length;
    if (pull->Held() >= kHighWater) {
        pull->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (pull->readAt_ > 0 && pull->readAt_ == pull->received_.size()) {
        pull->received_.clear();
        pull->readAt_ = 0;
    }
    pull->received_.insert(pull->received_.end(), data, data + length);
    return length;
}

void CurlPull::CollectEnd() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            ended_ = true;
            result_ = message->data.result;
        }
    }
}

bool CurlPull::Step(const StopCheck& stop) {
    if (paused_) {
        paused_ = false;
        // Hands the held piece over at once, through OnWrite.
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
    int active = 0;
    curl_multi_perform(multi_, &active);
    CollectEnd();
    if (ended_ || Held() > 0) return true;
    if (stop && stop()) return false;
    curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
    return true;
}

PullState CurlPull::Take(std::size_t most, const char*& data, std::size_t& size, const StopCheck& stop) {
    size = 0;
    data = nullptr;
    const auto waitStart = std::chrono::steady_clock::now();
    while (Held() == 0) {
        if (ended_ || !running_) return PullState::kEnd;
        if (!Step(stop)) return PullState::kStopped;
        if (Held() == 0 && !ended_ && std::chrono::steady_clock::now() - waitStart > stallLimit_) {
            Finish();
            ended_ = true;
            result_ = CURLE_OPERATION_TIMEDOUT;
            return PullState::kEnd;
        }
    }
    size = std::min(most, Held());
    data = received_.data() + readAt_;
    readAt_ += size;
    return PullState::kData;
}

PullState CurlPull::RunToEnd(const StopCheck& stop) {
    while (!ended_ && running_) {
        if (!Step(stop)) return PullState::kStopped;
    }
    return PullState::kEnd;
}

}  // namespace kt::platform
