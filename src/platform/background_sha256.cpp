#include "platform/background_sha256.h"

#include <algorithm>
#include <cstring>

namespace kt::platform {

BackgroundSha256::~BackgroundSha256() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool BackgroundSha256::StartOnce() {
    if (started_) return worker_.joinable();
    started_ = true;
    try {
        for (Block& block : blocks_) block.bytes.resize(kBlockSize);
        worker_ = std::thread(&BackgroundSha256::Work, this);
    } catch (...) {
        // Without memory or a thread the bytes are hashed as they come.
        for (Block& block : blocks_) std::vector<char>().swap(block.bytes);
    }
    return worker_.joinable();
}

void BackgroundSha256::Work() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || hashed_ < handed_; });
        if (stopping_) return;
        const Block& block = blocks_[hashed_ % kBlocks];
        lock.unlock();
        sha_.Update(block.bytes.data(), block.used);
        lock.lock();
        ++hashed_;
        changed_.notify_all();
    }
}

void BackgroundSha256::Update(const char* data, std::size_t size) {
    if (!StartOnce()) return sha_.Update(data, size);
    while (size > 0) {
        Block& block = blocks_[handed_ % kBlocks];
        if (!filling_) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return handed_ - hashed_ < kBlocks; });
            block.used = 0;
            filling_ = true;
        }
        const std::size_t piece = std::min(size, kBlockSize - block.used);
        std::memcpy(block.bytes.data() + block.used, data, piece);
        block.used += piece;
        data += piece;
        size -= piece;
        if (block.used == kBlockSize) Hand();
    }
}

void BackgroundSha256::Hand() {
    {
        std::lock_guard lock(mutex_);
        ++handed_;
    }
    filling_ = false;
    changed_.notify_all();
}

void BackgroundSha256::Drain() {
    if (!worker_.joinable()) return;
    if (filling_) Hand();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return hashed_ == handed_; });
}

void BackgroundSha256::Reset() {
    Drain();
    sha_.Reset();
}

bool BackgroundSha256::UpdateFromFile(const std::string& path, std::uint64_t count) {
    Drain();
    return sha_.UpdateFromFile(path, count);
}

std::string BackgroundSha256::HexDigest() {
    Drain();
    return sha_.HexDigest();
}

}  // namespace kt::platform
