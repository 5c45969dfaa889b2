// A block of memory known by name to the user's processes, as the installer
// hand-over needs it: the file "shm." + name in the run-time folder, mapped
// shared by every process that opens it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace kt::platform {

enum class SharedMemoryFailure {
    kNone,
    // The block could not be made or given its size.
    kCreate,
    // The block could not be mapped into this process.
    kMap,
};

class SharedMemory {
public:
    // Makes a new zeroed block of `size` bytes and publishes it under
    // `name`, in place of any block a crashed run left under that name:
    // nobody opening the name ever sees an earlier run's data. The name is
    // withdrawn again when the returned object goes, unless a newer block
    // took it meanwhile; processes that opened the block keep it.
    static std::unique_ptr<SharedMemory> Create(const std::string& name, std::size_t size,
                                                SharedMemoryFailure* failure = nullptr);
    // Opens the block published under `name`; null when there is none or
    // it is smaller than `size`.
    static std::unique_ptr<SharedMemory> Open(const std::string& name, std::size_t size);
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    unsigned char* Data() const { return data_; }
    std::size_t Size() const { return size_; }

    // Where the block of `name` is published.
    static std::string PathOf(const std::string& name);

private:
    SharedMemory(int fd, unsigned char* data, std::size_t size, std::string publishedPath);
    int fd_;
    unsigned char* data_;
    std::size_t size_;
    // Empty for a block that was opened, not created.
    std::string publishedPath_;
};

}  // namespace kt::platform
