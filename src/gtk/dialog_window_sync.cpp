// A dialog window kept in step with its model, and a script's actions played
// on its widgets.
#include <gtk/gtk.h>

#include "gtk/captions.h"
#include "gtk/dialog_window.h"

namespace kt::gtk {

using hostsuite::ActionKind;
using hostsuite::Control;
using hostsuite::ControlKind;

namespace {

void SetToggle(GtkWidget* widget, bool active) {
    if ((gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) != 0) != active) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), active);
    }
}

double Fraction(const Control& bar) {
    if (bar.rangeHigh <= bar.rangeLow) return 0.0;
    const double fraction = static_cast<double>(bar.position - bar.rangeLow) / (bar.rangeHigh - bar.rangeLow);
    return fraction < 0.0 ? 0.0 : (fraction > 1.0 ? 1.0 : fraction);
}

}  // namespace

void DialogWindow::Refresh() {
    updating_ = true;
    const std::string caption = model_.Caption();
    if (caption != caption_) {
        gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
        caption_ = caption;
    }
    for (const Control& control : model_.Controls()) {
        if (Item* item = Find(control.id)) {
            RefreshItem(*item, control);
            item->shown = control;
        }
    }
    // A radio group with none of its buttons checked.
    for (auto& [group, none] : noRadio_) {
        bool any = false;
        for (auto& item : items_) {
            any = any || (item->kind == ControlKind::Radio && item->shown.radioGroup == group && item->shown.checked);
        }
        if (!any) SetToggle(none, true);
    }
    updating_ = false;
}

void DialogWindow::RefreshItem(Item& item, const Control& control) {
    gtk_widget_set_visible(item.outer, control.visible);
    gtk_widget_set_sensitive(item.outer, control.enabled);
    const bool captionChanged = control.text != item.shown.text;
    switch (control.kind) {
        case ControlKind::Push:
        case ControlKind::Radio:
        case ControlKind::Check:
            if (captionChanged) gtk_button_set_label(GTK_BUTTON(item.widget), MnemonicCaption(control.text).c_str());
            if (control.kind != ControlKind::Push && control.checked) SetToggle(item.widget, true);
            if (control.kind == ControlKind::Check && !control.checked) SetToggle(item.widget, false);
            break;
        case ControlKind::Group:
            if (captionChanged) gtk_frame_set_label(GTK_FRAME(item.widget), control.text.c_str());
            break;
        case ControlKind::Label:
            if (captionChanged) gtk_label_set_text(GTK_LABEL(item.widget), control.text.c_str());
            break;
        case ControlKind::Edit: {
            gtk_entry_set_visibility(GTK_ENTRY(item.widget), !control.password);
            gtk_editable_set_editable(GTK_EDITABLE(item.widget), !control.readOnly);
            gtk_entry_set_max_length(GTK_ENTRY(item.widget), static_cast<gint>(control.maxLength));
            // What a person is typing is not overwritten by the text it replaces.
            const bool typing = gtk_widget_has_focus(item.widget);
            const bool differs = control.text != gtk_entry_get_text(GTK_ENTRY(item.widget));
            if (differs && (captionChanged || !typing)) gtk_entry_set_text(GTK_ENTRY(item.widget), control.text.c_str());
            break;
        }
        case ControlKind::List:
        case ControlKind::Combo:
            RefreshList(item, control);
            break;
        case ControlKind::Progress:
            gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(item.widget), Fraction(control));
            break;
    }
}

void DialogWindow::SendEscape() {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window_)));
    event->key.keyval = GDK_KEY_Escape;
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    gboolean handled = FALSE;
    g_signal_emit_by_name(window_, "key-press-event", &event->key, &handled);
    gdk_event_free(event);
}

bool DialogWindow::Play(const hostsuite::DialogAction& action) {
    switch (action.kind) {
        case ActionKind::Close:
            gtk_window_close(GTK_WINDOW(window_));
            return true;
        case ActionKind::Escape:
            SendEscape();
            return true;
        default:
            break;
    }
    Item* item = Find(action.control);
    if (item == nullptr) return false;
    switch (action.kind) {
        case ActionKind::Click:
            if (item->kind != ControlKind::Push && item->kind != ControlKind::Radio && item->kind != ControlKind::Check) {
                return false;
            }
            gtk_button_clicked(GTK_BUTTON(item->widget));
            return true;
        case ActionKind::Check:
        case ActionKind::Uncheck:
            if (item->kind != ControlKind::Radio && item->kind != ControlKind::Check) return false;
            SetToggle(item->widget, action.kind == ActionKind::Check);
            return true;
        case ActionKind::Text:
            if (item->kind != ControlKind::Edit) return false;
            gtk_entry_set_text(GTK_ENTRY(item->widget), action.value.c_str());
            return true;
        case ActionKind::Select:
        case ActionKind::Add:
        case ActionKind::Deselect:
            if (item->kind != ControlKind::List && item->kind != ControlKind::Combo) return false;
            return PlayOnList(*item, action);
        default:
            return false;
    }
}

}  // namespace kt::gtk
