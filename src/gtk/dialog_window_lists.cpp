// The lists and drop-down lists of a dialog window: their rows, their
// selection, and the choices a person or a script makes in them.
#include <gtk/gtk.h>

#include "gtk/dialog_window.h"

namespace kt::gtk {

using hostsuite::ActionKind;
using hostsuite::Control;
using hostsuite::ControlKind;
using hostsuite::DialogModel;

namespace {

// How the model names a row: its cells joined by tabs.
std::string RowText(const hostsuite::ListItem& item) {
    std::string joined;
    for (std::size_t i = 0; i < item.cells.size(); ++i) joined += (i > 0 ? "\t" : "") + item.cells[i];
    return joined;
}

int RowOf(const Control& control, const std::string& text) {
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        if (RowText(control.items[i]) == text) return static_cast<int>(i);
    }
    return -1;
}

bool SameRows(const Control& a, const Control& b) {
    if (a.items.size() != b.items.size()) return false;
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        if (a.items[i].cells != b.items[i].cells) return false;
    }
    return true;
}

std::vector<bool> SelectedRows(GtkTreeView* view, std::size_t rows) {
    std::vector<bool> selected(rows, false);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    for (std::size_t i = 0; i < rows; ++i) {
        GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<gint>(i), -1);
        selected[i] = gtk_tree_selection_path_is_selected(selection, path) != 0;
        gtk_tree_path_free(path);
    }
    return selected;
}

}  // namespace

void DialogWindow::FillStore(Item& item, const Control& control) {
    if (item.kind == ControlKind::Combo) {
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(item.widget));
        for (const hostsuite::ListItem& row : control.items) {
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(item.widget), row.Text().c_str());
        }
        return;
    }
    gtk_list_store_clear(item.store);
    const int columns = gtk_tree_model_get_n_columns(GTK_TREE_MODEL(item.store));
    for (const hostsuite::ListItem& row : control.items) {
        GtkTreeIter iter;
        gtk_list_store_append(item.store, &iter);
        for (int i = 0; i < columns && i < static_cast<int>(row.cells.size()); ++i) {
            gtk_list_store_set(item.store, &iter, i, row.cells[static_cast<std::size_t>(i)].c_str(), -1);
        }
    }
}

void DialogWindow::SelectRows(Item& item, const Control& control) {
    if (item.kind == ControlKind::Combo) {
        if (gtk_combo_box_get_active(GTK_COMBO_BOX(item.widget)) != control.selection) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(item.widget), control.selection);
        }
        return;
    }
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget));
    const std::vector<bool> shown = SelectedRows(GTK_TREE_VIEW(item.widget), control.items.size());
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        const bool wanted = control.multiSelect ? control.items[i].selected
                                                : static_cast<int>(i) == control.selection;
        if (wanted == shown[i]) continue;
        GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<gint>(i), -1);
        if (wanted) gtk_tree_selection_select_path(selection, path);
        else gtk_tree_selection_unselect_path(selection, path);
        gtk_tree_path_free(path);
    }
}

void DialogWindow::RefreshList(Item& item, const Control& control) {
    if (!SameRows(item.shown, control)) FillStore(item, control);
    SelectRows(item, control);
}

void DialogWindow::OnComboChanged(GtkComboBox* combo, gpointer data) {
    auto& item = *static_cast<Item*>(data);
    if (item.window->updating_) return;
    if (item.window->intent_ && item.window->intent_->id == item.id) {
        item.window->ListChanged(item);
        return;
    }
    const int active = gtk_combo_box_get_active(combo);
    if (active < 0 || static_cast<std::size_t>(active) >= item.shown.items.size()) return;
    const int id = item.id;
    std::string text = RowText(item.shown.items[static_cast<std::size_t>(active)]);
    item.window->Forward([id, text = std::move(text)](DialogModel& model) { model.UserSelect(id, text); });
}

void DialogWindow::OnSelectionChanged(GtkTreeSelection*, gpointer data) {
    auto& item = *static_cast<Item*>(data);
    if (!item.window->updating_) item.window->ListChanged(item);
}

void DialogWindow::ListChanged(Item& item) {
    const int id = item.id;
    if (intent_ && intent_->id == id) {
        // A script's choice: forwarded as the script said it, once.
        ListIntent intent = std::move(*intent_);
        intent_.reset();
        Forward([intent = std::move(intent)](DialogModel& model) {
            if (intent.kind == ActionKind::Select) model.UserSelect(intent.id, intent.item);
            else model.UserToggle(intent.id, intent.item, intent.kind == ActionKind::Add);
        });
        return;
    }
    const std::vector<hostsuite::ListItem>& rows = item.shown.items;
    const std::vector<bool> now = SelectedRows(GTK_TREE_VIEW(item.widget), rows.size());
    std::vector<std::size_t> added;
    std::vector<std::size_t> removed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool before = item.shown.multiSelect ? rows[i].selected : static_cast<int>(i) == item.shown.selection;
        if (now[i] && !before) added.push_back(i);
        if (!now[i] && before) removed.push_back(i);
    }
    GdkModifierType state{};
    const bool control = gtk_get_current_event_state(&state) && (state & GDK_CONTROL_MASK) != 0;
    if (!item.shown.multiSelect || (!control && added.size() == 1)) {
        if (added.empty()) return;
        std::string text = RowText(rows[added.front()]);
        Forward([id, text = std::move(text)](DialogModel& model) { model.UserSelect(id, text); });
        return;
    }
    for (std::size_t row : added) {
        Forward([id, text = RowText(rows[row])](DialogModel& model) { model.UserToggle(id, text, true); });
    }
    for (std::size_t row : removed) {
        Forward([id, text = RowText(rows[row])](DialogModel& model) { model.UserToggle(id, text, false); });
    }
}

bool DialogWindow::PlayOnList(Item& item, const hostsuite::DialogAction& action) {
    const int row = RowOf(item.shown, action.value);
    if (row < 0) return false;
    intent_ = ListIntent{item.id, action.kind, action.value};
    if (item.kind == ControlKind::Combo) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(item.widget), row);
    } else {
        GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget));
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        if (action.kind == ActionKind::Select) {
            // A plain click: the list's other rows are let go on the way.
            updating_ = true;
            gtk_tree_selection_unselect_all(selection);
            updating_ = false;
            gtk_tree_selection_select_path(selection, path);
        } else if (action.kind == ActionKind::Add) {
            gtk_tree_selection_select_path(selection, path);
        } else {
            gtk_tree_selection_unselect_path(selection, path);
        }
        gtk_tree_path_free(path);
    }
    // A row already in the chosen state reports nothing; the choice still counts.
    if (intent_) ListChanged(item);
    return true;
}

}  // namespace kt::gtk
