// The state of a named object: kept in the object's file and mapped into
// every process that holds the object. When the last holder is gone, the
// next one starts again from a zeroed state.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace kt::platform {

class SharedRegion {
public:
    // Sets up a zeroed state before any other process can see it; false
    // gives the attach up.
    using Initialise = std::function<bool(void* data)>;

    // Null when the object cannot be made or, without `mayCreate`, when no
    // live process holds it.
    static std::unique_ptr<SharedRegion> Attach(const std::string& kind, const std::string& name, std::size_t size,
                                                bool mayCreate, const Initialise& initialise);
    ~SharedRegion();
    SharedRegion(const SharedRegion&) = delete;
    SharedRegion& operator=(const SharedRegion&) = delete;

    void* Data() const { return data_; }
    // True when no live handle held the object before this one.
    bool First() const { return first_; }

private:
    SharedRegion(UniqueFd file, void* data, std::size_t size, bool first);
    UniqueFd file_;
    void* data_;
    std::size_t size_;
    bool first_;
};

}  // namespace kt::platform
