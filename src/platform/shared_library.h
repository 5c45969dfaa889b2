// A shared library loaded at run time from an explicit path, and the
// addresses of the functions it exports by name.
#pragma once

#include <memory>
#include <string>

namespace kt::platform {

class SharedLibrary {
public:
    // Loads the library at `path` (never searched for elsewhere). Null when
    // it is missing or cannot be loaded; `error` then tells why.
    static std::unique_ptr<SharedLibrary> Load(const std::string& path, std::string& error);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of the exported function `name`; null when it is absent.
    void* Function(const char* name) const;

    template <typename F>
    F FunctionAs(const char* name) const {
        return reinterpret_cast<F>(Function(name));
    }

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace kt::platform
