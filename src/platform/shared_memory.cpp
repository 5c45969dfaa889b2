#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/system_paths.h"
#include "platform/unique_fd.h"

namespace kt::platform {
namespace {

unsigned char* Map(int fd, std::size_t size) {
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return data == MAP_FAILED ? nullptr : static_cast<unsigned char*>(data);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::string SharedMemory::PathOf(const std::string& name) { return SystemPaths::RuntimeDir() + "/shm." + name; }

std::unique_ptr<SharedMemory> SharedMemory::Create(const std::string& name, std::size_t size,
                                                   SharedMemoryFailure* failure) {
    auto fail = [failure](SharedMemoryFailure why) {
        if (failure != nullptr) *failure = why;
        return nullptr;
    };
    if (failure != nullptr) *failure = SharedMemoryFailure::kNone;
    const std::string path = PathOf(name);
    // Built under a private name, then renamed over the published one: a
    // stale block is replaced whole, never reused.
    std::string temporary = path + ".XXXXXX";
    UniqueFd file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.Valid()) return fail(SharedMemoryFailure::kCreate);
    if (::ftruncate(file.Get(), static_cast<off_t>(size)) != 0) {
        ::unlink(temporary.c_str());
        return fail(SharedMemoryFailure::kCreate);
    }
    unsigned char* data = Map(file.Get(), size);
    if (data == nullptr) {
        ::unlink(temporary.c_str());
        return fail(SharedMemoryFailure::kMap);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::munmap(data, size);
        ::unlink(temporary.c_str());
        return fail(SharedMemoryFailure::kCreate);
    }
    return std::unique_ptr<SharedMemory>(new SharedMemory(file.Release(), data, size, path));
}

std::unique_ptr<SharedMemory> SharedMemory::Open(const std::string& name, std::size_t size) {
    UniqueFd file(::open(PathOf(name).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!file.Valid()) return nullptr;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || static_cast<std::size_t>(info.st_size) < size) {
        return nullptr;
    }
    unsigned char* data = Map(file.Get(), size);
    if (data == nullptr) return nullptr;
    return std::unique_ptr<SharedMemory>(new SharedMemory(file.Release(), data, size, ""));
}

SharedMemory::SharedMemory(int fd, unsigned char* data, std::size_t size, std::string publishedPath)
    : fd_(fd), data_(data), size_(size), publishedPath_(std::move(publishedPath)) {}

SharedMemory::~SharedMemory() {
    ::munmap(data_, size_);
    if (!publishedPath_.empty()) {
        struct stat mine {}, published {};
        if (::fstat(fd_, &mine) == 0 && ::stat(publishedPath_.c_str(), &published) == 0 && SameFile(mine, published)) {
            ::unlink(publishedPath_.c_str());
        }
    }
    ::close(fd_);
}

}  // namespace kt::platform
