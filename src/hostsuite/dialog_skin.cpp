#include "hostsuite/dialog_skin.h"

#include <map>
#include <mutex>

namespace kt::hostsuite {

namespace {

struct SkinRegistry {
    std::mutex mutex;
    std::map<Window, int> images;
};

SkinRegistry& Registry() {
    static SkinRegistry registry;
    return registry;
}

}  // namespace

int PaintDialogBackground(Window dialog, DeviceContext dc, int imageId) {
    if (dialog == nullptr || dc == nullptr || imageId <= 0) return 0;
    SkinRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.images[dialog] = imageId;
    return 1;
}

void ReleaseDialogSkin(Window dialog) {
    SkinRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.images.erase(dialog);
}

std::optional<int> DialogBackgroundImage(Window dialog) {
    SkinRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.images.find(dialog);
    if (found == registry.images.end()) return std::nullopt;
    return found->second;
}

}  // namespace kt::hostsuite
