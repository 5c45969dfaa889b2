#include "platform/shared_library.h"

#include <dlfcn.h>

#include <filesystem>

namespace kt::platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Load(const std::string& path, std::string& error) {
    // A name without a slash would make dlopen search the system folders.
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    if (ec) {
        error = ec.message();
        return nullptr;
    }
    void* handle = ::dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : "unknown error";
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() { ::dlclose(handle_); }

void* SharedLibrary::Function(const char* name) const {
    ::dlerror();
    return ::dlsym(handle_, name);
}

}  // namespace kt::platform
