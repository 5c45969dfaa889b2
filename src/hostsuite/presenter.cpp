#include "hostsuite/presenter.h"

#include <mutex>
#include <vector>

#include "hostsuite/terminal_presenter.h"

namespace kt::hostsuite {

namespace {

struct PresenterSlot {
    std::mutex mutex;
    std::shared_ptr<Presenter> active;
    // Presenters replaced while a caller may still hold a reference to them
    // stay alive until the module is unloaded.
    std::vector<std::shared_ptr<Presenter>> retired;
};

PresenterSlot& Slot() {
    static PresenterSlot slot;
    return slot;
}

}  // namespace

Window DesktopWindow() {
    static char desktop;
    return &desktop;
}

Presenter& ActivePresenter() {
    PresenterSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.active) slot.active = std::make_shared<TerminalPresenter>(nullptr);
    return *slot.active;
}

void InstallPresenter(std::shared_ptr<Presenter> presenter) {
    PresenterSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (slot.active) slot.retired.push_back(std::move(slot.active));
    slot.active = presenter ? std::move(presenter) : std::make_shared<TerminalPresenter>(nullptr);
}

}  // namespace kt::hostsuite
