// The plugin's one entry point, looked up by name by the module.
#include <easylogging++.h>

#include "gtk/gtk_presenter.h"
#include "hostsuite/desktop_presenter.h"

extern "C" __attribute__((visibility("default"))) kt::hostsuite::Presenter* KtMakeDesktopPresenter(
    const kt::hostsuite::DesktopPresenterArgs* args) {
    if (args == nullptr || args->version != kt::hostsuite::kDesktopPluginVersion) return nullptr;
    try {
        // Lines logged here go to the module's activity log.
        if (args->logStorage != nullptr) {
            el::Helpers::setStorage(*static_cast<const el::base::type::StoragePointer*>(args->logStorage));
        }
        kt::gtk::GtkThread* toolkit = kt::gtk::GtkThread::Instance();
        if (toolkit == nullptr) return nullptr;
        return new kt::gtk::GtkPresenter(*toolkit, args->transcript, args->script, args->screenshotFolder);
    } catch (...) {
        return nullptr;
    }
}
