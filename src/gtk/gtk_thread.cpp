#include "gtk/gtk_thread.h"

#include <gtk/gtk.h>

#include <future>
#include <mutex>
#include <thread>

#include "log/activity_log.h"

namespace kt::gtk {

namespace {

std::thread::id toolkitThread;

struct Work {
    std::function<void()> run;
    // The caller waits on it.
    std::promise<void>* done = nullptr;
};

gboolean RunWork(gpointer data) {
    auto* work = static_cast<Work*>(data);
    try {
        work->run();
    } catch (const std::exception& error) {
        KT_LOG(Error) << "Desktop presenter: " << error.what();
    } catch (...) {
        KT_LOG(Error) << "Desktop presenter: unknown failure";
    }
    work->done->set_value();
    delete work;
    return G_SOURCE_REMOVE;
}

// The dialogs' controls keep to their places in dialog units: a compact
// font and spacing, as the dialogs were drawn for.
constexpr const char* kDialogStyle =
    "* { font-size: 9pt; }"
    "button { padding: 2px 6px; min-height: 0; }"
    "entry { padding: 1px 4px; min-height: 0; }"
    "combobox button { padding: 1px 4px; }";

void UseDialogStyle() {
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, kDialogStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(style);
}

}  // namespace

bool GtkThread::Start() {
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    // Detached: it runs the toolkit's loop for as long as the process lives.
    std::thread([&opened] {
        if (!gtk_init_check(nullptr, nullptr)) {
            opened.set_value(false);
            return;
        }
        toolkitThread = std::this_thread::get_id();
        UseDialogStyle();
        GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
        opened.set_value(true);
        g_main_loop_run(loop);
    }).detach();
    return result.get();
}

GtkThread* GtkThread::Instance() {
    static GtkThread* instance = [] {
        auto* thread = new GtkThread;
        if (thread->Start()) return thread;
        delete thread;
        return static_cast<GtkThread*>(nullptr);
    }();
    return instance;
}

bool GtkThread::OnThisThread() const { return std::this_thread::get_id() == toolkitThread; }

void GtkThread::Call(const std::function<void()>& work) {
    if (OnThisThread()) {
        work();
        return;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    g_idle_add_full(G_PRIORITY_DEFAULT, RunWork, new Work{work, &done}, nullptr);
    finished.wait();
}

}  // namespace kt::gtk
