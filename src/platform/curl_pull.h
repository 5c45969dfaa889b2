// One libcurl transfer driven step by step from the caller's thread: the
// caller takes the received bytes where they arrived, in pieces of at most its own size, and a stop
// check it gives is consulted at least every 100 ms while nothing arrives,
// so a stalled server never holds it. Connections stay cached between the
// transfers of one object, so that a login serves several commands.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace kt::platform {

// Asked while a transfer waits for the network; true stops the wait.
using StopCheck = std::function<bool()>;

enum class PullState {
    kData,     // bytes were copied
    kEnd,      // the transfer ended; Result() tells how
    kStopped,  // the stop check answered true
};

class CurlPull {
public:
    // `easy` is the configured CURL handle, owned by the caller and kept
    // alive as long as this object.
    explicit CurlPull(void* easy);
    ~CurlPull();
    CurlPull(const CurlPull&) = delete;
    CurlPull& operator=(const CurlPull&) = delete;

    // Starts the transfer set up on the handle. `keepBody` false throws the
    // body away (commands without data).
    void Start(bool keepBody);
    // Points `data` at up to `most` received bytes, waiting for them when
    // none are held; `size` receives the count. The bytes are not copied:
    // they stay valid until the next call on this object.
    PullState Take(std::size_t most, const char*& data, std::size_t& size, const StopCheck& stop);
    // Runs the transfer to its end, keeping nothing.
    PullState RunToEnd(const StopCheck& stop);
    // Ends the transfer, aborting it when it has not finished.
    void Finish();

    // The libcurl result of the ended transfer; a wait without any byte for
    // longer than the stall limit ends it as timed out.
    int Result() const { return result_; }

    static constexpr std::chrono::milliseconds kStallLimit{120'000};
    // The stall limit of the transfers started from now on, for the whole
    // process; tests shorten it so that a stalled server costs seconds.
    static void SetStallLimit(std::chrono::milliseconds limit);
    static std::chrono::milliseconds StallLimit();

private:
    static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
    std::size_t Held() const { return received_.size() - readAt_; }
    // Lets libcurl work once, then waits a little for the network when it
    // produced nothing. False when the stop check asked to stop.
    bool Step(const StopCheck& stop);
    void CollectEnd();

    void* easy_;
    void* multi_;
    bool running_ = false;
    bool ended_ = false;
    bool keepBody_ = true;
    bool paused_ = false;
    int result_ = 0;
    std::vector<char> received_;
    std::size_t readAt_ = 0;
    std::chrono::milliseconds stallLimit_ = kStallLimit;
};

}  // namespace kt::platform
