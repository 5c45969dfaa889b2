#include "platform/dialog_registry.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

#include "platform/named_event.h"
#include "platform/named_object.h"

namespace kt::platform {
namespace {

// A registration is an automatic-reset event named after the window class,
// the process and a random token, so that no name is ever used twice.
constexpr const char* kEventKind = "event";
constexpr auto kListenSlice = std::chrono::seconds(1);

std::string RegistrationPrefix(const std::string& windowClass) { return "dialog." + windowClass + "."; }

std::string UniqueRegistrationName(const std::string& windowClass) {
    std::random_device random;
    const unsigned long long token = (static_cast<unsigned long long>(random()) << 32) | random();
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%ld.%016llx", static_cast<long>(::getpid()), token);
    return RegistrationPrefix(windowClass) + suffix;
}

class Registration : public OpenDialogRegistration {
public:
    Registration(std::string name, std::unique_ptr<NamedEvent> event, std::function<void()> onRestore)
        : name_(std::move(name)), event_(std::move(event)), onRestore_(std::move(onRestore)),
          listener_([this] { Listen(); }) {}

    ~Registration() override {
        stopping_ = true;
        event_->Set();
        listener_.join();
        event_.reset();
        RemoveAbandonedNamedObject(kEventKind, name_);
    }

private:
    void Listen() {
        while (!stopping_) {
            if (!event_->Wait(kListenSlice) || stopping_) continue;
            try {
                onRestore_();
            } catch (...) {
                // The dialog's own failure to come back must not end the process.
            }
        }
    }

    const std::string name_;
    std::unique_ptr<NamedEvent> event_;
    const std::function<void()> onRestore_;
    std::atomic<bool> stopping_{false};
    std::thread listener_;
};

}  // namespace

std::unique_ptr<OpenDialogRegistration> RegisterOpenDialog(const std::string& windowClass,
                                                           std::function<void()> onRestore) {
    std::string name = UniqueRegistrationName(windowClass);
    auto event = NamedEvent::Create(name, false, false);
    if (!event) return nullptr;
    return std::make_unique<Registration>(std::move(name), std::move(event), std::move(onRestore));
}

bool RestoreOpenDialog(const std::string& windowClass) {
    for (const std::string& name : ListNamedObjects(kEventKind, RegistrationPrefix(windowClass))) {
        if (auto event = NamedEvent::Open(name)) {
            event->Set();
            return true;
        }
        // Left by a process that died with its dialog open.
        RemoveAbandonedNamedObject(kEventKind, name);
    }
    return false;
}

}  // namespace kt::platform
