// The SHA-256 digest of bytes given piece by piece, worked out on a thread of
// its own so that the giver goes on receiving meanwhile. The pieces are
// copied into a few blocks: memory stays bounded, and the giver waits only
// when every block is waiting to be hashed. Without a thread it hashes in place.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sha256.h"

namespace kt::platform {

class BackgroundSha256 {
public:
    BackgroundSha256() = default;
    ~BackgroundSha256();
    BackgroundSha256(const BackgroundSha256&) = delete;
    BackgroundSha256& operator=(const BackgroundSha256&) = delete;

    // Starts over, as if nothing had been given.
    void Reset();
    void Update(const char* data, std::size_t size);
    // Gives the first `count` bytes of the file at `path`; false when they cannot all be read.
    [[nodiscard]] bool UpdateFromFile(const std::string& path, std::uint64_t count);
    // The digest of everything given since the start, once it is all
    // hashed (see Sha256::HexDigest).
    std::string HexDigest();

    static constexpr std::size_t kBlockSize = 512 << 10;
    static constexpr std::size_t kBlocks = 4;

private:
    struct Block {
        std::vector<char> bytes;
        std::size_t used = 0;
    };
    // False when no thread could be started: the bytes are hashed in place.
    bool StartOnce();
    // Hands the block being filled to the thread.
    void Hand();
    // Waits until the thread has hashed every block handed to it.
    void Drain();
    void Work() noexcept;

    // Used by the thread while blocks are handed and not hashed, by the giver otherwise.
    Sha256 sha_;
    // A ring: block n % kBlocks is the n-th handed; the giver fills the next
    // one once the thread has hashed what it held before.
    std::array<Block, kBlocks> blocks_;
    bool filling_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t handed_ = 0;
    std::uint64_t hashed_ = 0;
    bool stopping_ = false;
    bool started_ = false;
    std::thread worker_;
};

}  // namespace kt::platform
