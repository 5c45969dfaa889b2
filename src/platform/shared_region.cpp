#include "platform/shared_region.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/named_object.h"

namespace kt::platform {
namespace {

void* Map(int fd, std::size_t size) {
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return data == MAP_FAILED ? nullptr : data;
}

// Drops whatever state the last holders left, dead or not.
bool Zero(int fd, std::size_t size) {
    return ::ftruncate(fd, 0) == 0 && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

// A live object of another size belongs to a build with another layout.
bool HasSize(int fd, std::size_t size) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) == size;
}

}  // namespace

std::unique_ptr<SharedRegion> SharedRegion::Attach(const std::string& kind, const std::string& name, std::size_t size,
                                                   bool mayCreate, const Initialise& initialise) {
    void* data = nullptr;
    auto setUp = [&](int fd, bool first) {
        if (first ? !Zero(fd, size) : !HasSize(fd, size)) return false;
        data = Map(fd, size);
        if (data == nullptr) return false;
        if (first && !initialise(data)) {
            ::munmap(data, size);
            data = nullptr;
            return false;
        }
        return true;
    };
    auto handle = AttachNamedObject(kind, name, mayCreate, setUp);
    if (!handle) {
        // The set-up may have mapped the file before the last step failed.
        if (data != nullptr) ::munmap(data, size);
        return nullptr;
    }
    return std::unique_ptr<SharedRegion>(new SharedRegion(std::move(handle->file), data, size, handle->first));
}

SharedRegion::SharedRegion(UniqueFd file, void* data, std::size_t size, bool first)
    : file_(std::move(file)), data_(data), size_(size), first_(first) {}

SharedRegion::~SharedRegion() {
    // Unmapped before the liveness lock goes with the file, so that a next
    // first holder never zeroes a state still in use here.
    ::munmap(data_, size_);
}

}  // namespace kt::platform
