#include "platform/named_mutex.h"

#include <unistd.h>

#include "platform/named_object.h"

namespace kt::platform {

SysResult<std::unique_ptr<NamedMutex>> NamedMutex::Create(const std::string& name, bool& alreadyExisted) {
    alreadyExisted = false;
    auto handle = AttachNamedObject("mutex", name, true, [](int, bool) { return true; });
    if (!handle) return handle.Error();
    alreadyExisted = !handle->first;
    return std::unique_ptr<NamedMutex>(new NamedMutex(handle->file.Release()));
}

NamedMutex::NamedMutex(int fd) : fd_(fd) {}

NamedMutex::~NamedMutex() {
    // Closing drops the liveness lock; the file stays for the next holder.
    ::close(fd_);
}

}  // namespace kt::platform
