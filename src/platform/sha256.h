// The SHA-256 digest of bytes given piece by piece, as they arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kt::platform {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Starts over, as if nothing had been given.
    void Reset();
    void Update(const char* data, std::size_t size);
    // Gives the first `count` bytes of the file at `path`; false when they cannot all be read.
    [[nodiscard]] bool UpdateFromFile(const std::string& path, std::uint64_t count);
    // The digest of everything given since the start, in 64 lower-case hex
    // digits; empty when the library failed.
    std::string HexDigest();

private:
    struct Context;
    std::unique_ptr<Context> context_;
    bool failed_ = false;
};

// The digest of the file at `path`; empty when it cannot be read.
std::string FileSha256(const std::string& path);

}  // namespace kt::platform
