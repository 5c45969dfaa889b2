#include "hostsuite/desktop_presenter.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "log/activity_log.h"

namespace kt::hostsuite {

namespace {

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::string DesktopPluginPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DesktopPluginPath), &info) == 0 || info.dli_fname == nullptr) {
        return kDesktopPluginName;
    }
    return (std::filesystem::path(info.dli_fname).parent_path() / kDesktopPluginName).string();
}

bool DisplayConfigured() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }

std::shared_ptr<Presenter> LoadDesktopPresenter(const std::string& pluginPath, DesktopPresenterArgs args,
                                                std::string& error) {
    // Never closed: the presenter's code and the toolkit's threads live in it.
    void* plugin = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) {
        const char* why = dlerror();
        error = "cannot load " + pluginPath + ": " + (why != nullptr ? why : "unknown error");
        return nullptr;
    }
    auto make = reinterpret_cast<MakeDesktopPresenterFn>(dlsym(plugin, kDesktopPresenterSymbol));
    if (make == nullptr) {
        error = pluginPath + " lacks " + kDesktopPresenterSymbol;
        return nullptr;
    }
    args.version = kDesktopPluginVersion;
    const el::base::type::StoragePointer storage = el::Helpers::storage();
    args.logStorage = &storage;
    Presenter* presenter = make(&args);
    if (presenter == nullptr) {
        error = "no display can be opened for the desktop presenter";
        return nullptr;
    }
    KT_LOG(Info) << "Desktop presenter loaded from " << pluginPath;
    return std::shared_ptr<Presenter>(presenter);
}

}  // namespace kt::hostsuite
