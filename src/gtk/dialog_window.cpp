#include "gtk/dialog_window.h"

#include <utility>

#include "gtk/captions.h"
#include "gtk/dialog_layout.h"

namespace kt::gtk {

using hostsuite::Control;
using hostsuite::ControlKind;
using hostsuite::DialogModel;

DialogWindow::DialogWindow(DialogModel& model, GtkWindow* owner) : model_(model) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    if (owner != nullptr) gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
    Build();
    gtk_widget_show(fixed_);
    gtk_widget_show(window_);
}

DialogWindow::~DialogWindow() {
    updating_ = true;
    gtk_widget_destroy(window_);
    for (auto& [group, none] : noRadio_) g_object_unref(none);
}

void DialogWindow::Build() {
    const std::vector<Control> controls = model_.Controls();
    const DialogLayout layout = LayoutDialog(controls);
    const Rect size = ToPixels({0, 0, layout.width, layout.height});
    gtk_widget_set_size_request(fixed_, size.width, size.height);
    updating_ = true;
    for (const Control& control : controls) {
        auto item = std::make_unique<Item>();
        item->window = this;
        item->id = control.id;
        item->kind = control.kind;
        item->outer = MakeWidget(*item, control);
        for (const Placement& place : layout.places) {
            if (place.id != control.id) continue;
            const Rect at = ToPixels(place.rect);
            gtk_fixed_put(GTK_FIXED(fixed_), item->outer, at.x, at.y);
            gtk_widget_set_size_request(item->outer, at.width, at.height);
        }
        Connect(*item);
        items_.push_back(std::move(item));
    }
    updating_ = false;
    Refresh();
}

GtkWidget* DialogWindow::MakeRadio(const Control& control) {
    auto none = noRadio_.find(control.radioGroup);
    if (none == noRadio_.end()) {
        GtkWidget* hidden = gtk_radio_button_new(nullptr);
        g_object_ref_sink(hidden);
        none = noRadio_.emplace(control.radioGroup, hidden).first;
    }
    return gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(none->second),
                                                          MnemonicCaption(control.text).c_str());
}

GtkWidget* DialogWindow::MakeList(Item& item, const Control& control) {
    const int columns = std::max<int>(1, static_cast<int>(control.columns.size()));
    std::vector<GType> types(static_cast<std::size_t>(columns), G_TYPE_STRING);
    item.store = gtk_list_store_newv(columns, types.data());
    item.widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(item.store));
    g_object_unref(item.store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(item.widget), !control.columns.empty());
    for (int i = 0; i < columns; ++i) {
        const char* title = control.columns.empty() ? "" : control.columns[static_cast<std::size_t>(i)].c_str();
        GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(
            title, gtk_cell_renderer_text_new(), "text", i, nullptr);
        gtk_tree_view_column_set_resizable(column, TRUE);
        gtk_tree_view_append_column(GTK_TREE_VIEW(item.widget), column);
    }
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget)),
                                control.multiSelect ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(scrolled), item.widget);
    gtk_widget_show(item.widget);
    return scrolled;
}

GtkWidget* DialogWindow::MakeWidget(Item& item, const Control& control) {
    switch (control.kind) {
        case ControlKind::Push:
            item.widget = gtk_button_new_with_mnemonic(MnemonicCaption(control.text).c_str());
            return item.widget;
        case ControlKind::Radio:
            item.widget = MakeRadio(control);
            break;
        case ControlKind::Check:
            item.widget = gtk_check_button_new_with_mnemonic(MnemonicCaption(control.text).c_str());
            break;
        case ControlKind::Group:
            item.widget = gtk_frame_new(control.text.c_str());
            return item.widget;
        case ControlKind::Label:
            item.widget = gtk_label_new(control.text.c_str());
            gtk_label_set_line_wrap(GTK_LABEL(item.widget), TRUE);
            // Wrapped at its place's width rather than widening the dialog.
            gtk_label_set_max_width_chars(GTK_LABEL(item.widget), 1);
            gtk_label_set_xalign(GTK_LABEL(item.widget), 0.0F);
            gtk_label_set_yalign(GTK_LABEL(item.widget), 0.0F);
            return item.widget;
        case ControlKind::Edit:
            item.widget = gtk_entry_new();
            return item.widget;
        case ControlKind::Combo:
            item.widget = gtk_combo_box_text_new();
            return item.widget;
        case ControlKind::List:
            return MakeList(item, control);
        case ControlKind::Progress:
            item.widget = gtk_progress_bar_new();
            return item.widget;
    }
    if (control.description.empty()) return item.widget;
    // A check box or radio button with a second line under its caption.
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* description = gtk_label_new(control.description.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(description), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(description), 1);
    gtk_label_set_xalign(GTK_LABEL(description), 0.0F);
    gtk_widget_set_margin_start(description, 24);
    gtk_box_pack_start(GTK_BOX(box), item.widget, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), description, FALSE, FALSE, 0);
    gtk_widget_show(item.widget);
    gtk_widget_show(description);
    return box;
}

void DialogWindow::Connect(Item& item) {
    switch (item.kind) {
        case ControlKind::Push:
        case ControlKind::Radio:
        case ControlKind::Check:
            g_signal_connect(item.widget, "clicked", G_CALLBACK(OnClicked), &item);
            break;
        case ControlKind::Edit:
            g_signal_connect(item.widget, "changed", G_CALLBACK(OnEntryChanged), &item);
            break;
        case ControlKind::Combo:
            g_signal_connect(item.widget, "changed", G_CALLBACK(OnComboChanged), &item);
            break;
        case ControlKind::List:
            g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget)), "changed",
                             G_CALLBACK(OnSelectionChanged), &item);
            break;
        default:
            break;
    }
}

DialogWindow::Item* DialogWindow::Find(int id) {
    for (auto& item : items_) {
        if (item->id == id) return item.get();
    }
    return nullptr;
}

void DialogWindow::SetBusy(bool busy) {
    GdkWindow* surface = gtk_widget_get_window(window_);
    if (surface == nullptr) return;
    GdkCursor* cursor = busy ? gdk_cursor_new_from_name(gdk_window_get_display(surface), "wait") : nullptr;
    gdk_window_set_cursor(surface, cursor);
    if (cursor != nullptr) g_object_unref(cursor);
}

// What the person did goes to the dialog's thread, as the model's own call.
void DialogWindow::Forward(std::function<void(DialogModel&)> action) {
    DialogModel& model = model_;
    model.PostCall([&model, action = std::move(action)] { action(model); });
}

void DialogWindow::OnClicked(GtkButton* button, gpointer data) {
    auto& item = *static_cast<Item*>(data);
    if (item.window->updating_) return;
    const int id = item.id;
    // A radio button reports the click of the one being chosen, not of the
    // one the toolkit clears on the way.
    if (item.kind == ControlKind::Radio && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button))) return;
    item.window->Forward([id](DialogModel& model) { model.UserClick(id); });
}

void DialogWindow::OnEntryChanged(GtkEditable* editable, gpointer data) {
    auto& item = *static_cast<Item*>(data);
    if (item.window->updating_) return;
    const int id = item.id;
    std::string text = gtk_entry_get_text(GTK_ENTRY(editable));
    item.window->Forward([id, text = std::move(text)](DialogModel& model) { model.UserSetText(id, text); });
}

gboolean DialogWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* window = static_cast<DialogWindow*>(data);
    if (!window->updating_) window->Forward([](DialogModel& model) { model.UserClose(); });
    // The dialog decides whether it closes.
    return TRUE;
}

gboolean DialogWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    static_cast<DialogWindow*>(data)->Forward([](DialogModel& model) { model.UserEscape(); });
    return TRUE;
}

}  // namespace kt::gtk
