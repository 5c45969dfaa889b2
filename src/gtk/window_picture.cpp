#include "gtk/window_picture.h"

#include <chrono>

#include "log/activity_log.h"

namespace kt::gtk {

namespace {

constexpr std::chrono::milliseconds kMapLimit{3000};
// Time given to the window manager and the toolkit to finish drawing.
constexpr std::chrono::milliseconds kPaintTime{250};

void RunPendingEvents(std::chrono::steady_clock::time_point until, const std::function<bool()>& done) {
    while (std::chrono::steady_clock::now() < until && !done()) {
        if (gtk_events_pending() != 0) gtk_main_iteration_do(FALSE);
        else g_usleep(5000);
    }
}

}  // namespace

void LetWindowPaint(GtkWindow* window) {
    GtkWidget* widget = GTK_WIDGET(window);
    const auto start = std::chrono::steady_clock::now();
    RunPendingEvents(start + kMapLimit, [widget] { return gtk_widget_get_mapped(widget) != 0; });
    gtk_widget_queue_draw(widget);
    gdk_display_sync(gtk_widget_get_display(widget));
    RunPendingEvents(std::chrono::steady_clock::now() + kPaintTime, [] { return false; });
}

bool SaveWindowPicture(GtkWindow* window, const std::string& path) {
    LetWindowPaint(window);
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
    if (surface == nullptr) return false;
    GdkRectangle frame{};
    gdk_window_get_frame_extents(surface, &frame);
    GdkPixbuf* picture = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), frame.x, frame.y,
                                                    frame.width, frame.height);
    if (picture == nullptr) {
        KT_LOG(Warning) << "Desktop presenter: no picture of the window for " << path;
        return false;
    }
    GError* error = nullptr;
    const bool saved = gdk_pixbuf_save(picture, path.c_str(), "png", &error, nullptr) != 0;
    if (!saved) {
        KT_LOG(Warning) << "Desktop presenter: cannot save " << path << " : " << (error ? error->message : "");
        g_clear_error(&error);
    }
    g_object_unref(picture);
    return saved;
}

}  // namespace kt::gtk
