// An event known by name to every process of the user, with the Windows
// behaviour the module relies on: manual or automatic reset, and "exists"
// only while a live process holds a handle on it.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace kt::platform {

class NamedEvent {
public:
    // Creates the event, or opens it when a live handle already holds it.
    static std::unique_ptr<NamedEvent> Create(const std::string& name, bool manualReset,
                                              bool initiallySignalled);
    // Opens an existing event; null when no live process holds it.
    static std::unique_ptr<NamedEvent> Open(const std::string& name);
    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    void Set();
    void Reset();
    // True when the event was signalled within the timeout (an automatic
    // reset event is then reset again).
    bool Wait(std::chrono::milliseconds timeout);

private:
    struct Impl;
    explicit NamedEvent(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace kt::platform
