// The window of one running dialog: a widget per control at its place, kept
// in step with the dialog model. A person's actions (or a script's, played
// on the same widgets) are handed to the dialog's thread as the model's own
// User* calls; the window holds no behaviour. Lives on the toolkit thread.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostsuite/dialog_action.h"
#include "hostsuite/dialog_model.h"

namespace kt::gtk {

class DialogWindow {
public:
    DialogWindow(hostsuite::DialogModel& model, GtkWindow* owner);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    GtkWindow* Window() const { return GTK_WINDOW(window_); }
    // Brings the widgets to the model's state.
    void Refresh();
    // Plays a script's action on the widgets, through their own signals.
    // False when no widget of the dialog takes it.
    bool Play(const hostsuite::DialogAction& action);
    void SetBusy(bool busy);

private:
    struct Item {
        DialogWindow* window = nullptr;
        int id = 0;
        hostsuite::ControlKind kind = hostsuite::ControlKind::Label;
        // What is placed (a frame, a scrolled list, a box) and what acts.
        GtkWidget* outer = nullptr;
        GtkWidget* widget = nullptr;
        GtkListStore* store = nullptr;
        // The control as last brought to the widget.
        hostsuite::Control shown;
    };
    // A script's choice in a list, forwarded as is when the list reports it.
    struct ListIntent {
        int id = 0;
        hostsuite::ActionKind kind = hostsuite::ActionKind::Select;
        std::string item;
    };

    void Build();
    GtkWidget* MakeWidget(Item& item, const hostsuite::Control& control);
    GtkWidget* MakeList(Item& item, const hostsuite::Control& control);
    GtkWidget* MakeRadio(const hostsuite::Control& control);
    void Connect(Item& item);
    Item* Find(int id);

    void RefreshItem(Item& item, const hostsuite::Control& control);
    void RefreshList(Item& item, const hostsuite::Control& control);
    void FillStore(Item& item, const hostsuite::Control& control);
    void SelectRows(Item& item, const hostsuite::Control& control);

    bool PlayOnList(Item& item, const hostsuite::DialogAction& action);
    void SendEscape();

    // Handlers of the widgets' signals, on the toolkit thread.
    static void OnClicked(GtkButton* button, gpointer data);
    static void OnEntryChanged(GtkEditable* editable, gpointer data);
    static void OnComboChanged(GtkComboBox* combo, gpointer data);
    static void OnSelectionChanged(GtkTreeSelection* selection, gpointer data);
    static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer data);
    static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data);
    void ListChanged(Item& item);
    void Forward(std::function<void(hostsuite::DialogModel&)> action);

    hostsuite::DialogModel& model_;
    GtkWidget* window_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    std::vector<std::unique_ptr<Item>> items_;
    // The unseen member of each radio group, active when none of the group's
    // buttons is checked.
    std::map<int, GtkWidget*> noRadio_;
    std::optional<ListIntent> intent_;
    std::string caption_;
    // Set while the window changes widgets itself: their signals are not the user's.
    bool updating_ = false;
};

}  // namespace kt::gtk
