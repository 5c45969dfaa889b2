// A mutex known by name to every process of the user. The module uses it as a
// flag of existence: it "exists" while some live process holds a handle on
// it, and the kernel forgets a crashed holder.
#pragma once

#include <memory>
#include <string>

#include "platform/sys_error.h"

namespace kt::platform {

class NamedMutex {
public:
    // Creates the named mutex, or opens it when it exists. `alreadyExisted`
    // tells whether a live handle held it before this call. The failed call
    // when the object cannot be made at all; `alreadyExisted` is then false.
    static SysResult<std::unique_ptr<NamedMutex>> Create(const std::string& name, bool& alreadyExisted);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

private:
    explicit NamedMutex(int fd);
    int fd_;
};

}  // namespace kt::platform
