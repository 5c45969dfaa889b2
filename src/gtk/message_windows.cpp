#include "gtk/message_windows.h"

#include "gtk/captions.h"
#include "gtk/dialog_window.h"
#include "gtk/window_picture.h"

namespace kt::gtk {

namespace {

constexpr int kCredentialsOk = 1;
constexpr int kCredentialsCancel = 2;

// Presses the dialog's button for `response` as a person would; false when it has none.
bool PressButton(GtkDialog* dialog, int response) {
    GtkWidget* button = gtk_dialog_get_widget_for_response(dialog, response);
    if (button == nullptr) return false;
    LetWindowPaint(GTK_WINDOW(dialog));
    gtk_button_clicked(GTK_BUTTON(button));
    return true;
}

void RecordResponse(GtkDialog*, gint response, gpointer answer) { *static_cast<int*>(answer) = response; }

// Runs the dialog until a button is pressed: by a person, or by the script.
int Answer(GtkDialog* dialog, Answering answering, int scripted, int safe) {
    if (answering == Answering::ByPerson) {
        const int response = gtk_dialog_run(dialog);
        return response > 0 ? response : safe;
    }
    gtk_widget_show_all(GTK_WIDGET(dialog));
    int response = 0;
    const gulong handler = g_signal_connect(dialog, "response", G_CALLBACK(RecordResponse), &response);
    const int wanted = answering == Answering::ByScript ? scripted : safe;
    // An answer the box has no button for is still the script's answer.
    if (!PressButton(dialog, wanted) || response <= 0) response = wanted;
    g_signal_handler_disconnect(dialog, handler);
    return response;
}

GtkWidget* NewDialog(GtkWindow* owner, const std::string& caption) {
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    if (owner != nullptr) gtk_window_set_transient_for(GTK_WINDOW(dialog), owner);
    gtk_window_set_position(GTK_WINDOW(dialog), owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    return dialog;
}

}  // namespace

GtkMessageType MessageType(unsigned style) {
    switch (style & 0xF0U) {
        case 0x10: return GTK_MESSAGE_ERROR;
        case 0x20: return GTK_MESSAGE_QUESTION;
        case 0x30: return GTK_MESSAGE_WARNING;
        case 0x40: return GTK_MESSAGE_INFO;
        default: return GTK_MESSAGE_OTHER;
    }
}

int RunMessageWindow(GtkWindow* owner, const BoxRequest& box, Answering answering, int scripted) {
    GtkWidget* dialog = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, MessageType(box.style), GTK_BUTTONS_NONE,
                                               "%s", box.text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), box.caption.c_str());
    for (const hostsuite::Choice& choice : box.buttons) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), MnemonicCaption(choice.label).c_str(), choice.code);
    }
    const int answer = Answer(GTK_DIALOG(dialog), answering, scripted, box.safeAnswer);
    gtk_widget_destroy(dialog);
    return answer;
}

std::optional<hostsuite::Credentials> RunCredentialsWindow(GtkWindow* owner, const std::string& target,
                                                           Answering answering,
                                                           const std::optional<hostsuite::Credentials>& scripted) {
    GtkWidget* dialog = NewDialog(owner, "Authentification du serveur proxy");
    gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", kCredentialsOk);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "Annuler", kCredentialsCancel);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 10);
    GtkWidget* user = gtk_entry_new();
    GtkWidget* password = gtk_entry_new();
    gtk_entry_set_visibility(GTK_ENTRY(password), FALSE);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new(target.c_str()), 0, 0, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new("Nom d'utilisateur :"), 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), user, 1, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new("Mot de passe :"), 0, 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), password, 1, 2, 1, 1);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_show_all(grid);
    if (answering == Answering::ByScript && scripted) {
        gtk_entry_set_text(GTK_ENTRY(user), scripted->user.c_str());
        gtk_entry_set_text(GTK_ENTRY(password), scripted->password.c_str());
    }
    const int wanted = answering == Answering::ByScript && scripted ? kCredentialsOk : kCredentialsCancel;
    const int response = Answer(GTK_DIALOG(dialog), answering, wanted, kCredentialsCancel);
    std::optional<hostsuite::Credentials> typed;
    if (response == kCredentialsOk) {
        typed = hostsuite::Credentials{gtk_entry_get_text(GTK_ENTRY(user)), gtk_entry_get_text(GTK_ENTRY(password))};
    }
    gtk_widget_destroy(dialog);
    return typed;
}

std::optional<std::string> RunFolderWindow(GtkWindow* owner, const std::string& caption, const std::string& initialFolder,
                                           Answering answering, const std::optional<std::string>& scripted) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(caption.c_str(), owner, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
                                                    "_Annuler", GTK_RESPONSE_CANCEL, "_Choisir", GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
    if (!initialFolder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), initialFolder.c_str());
    const bool picked = answering == Answering::ByScript && scripted;
    if (picked) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), scripted->c_str());
    const int response = Answer(GTK_DIALOG(dialog), answering, picked ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL,
                                GTK_RESPONSE_CANCEL);
    std::optional<std::string> folder;
    if (response == GTK_RESPONSE_ACCEPT && picked) {
        // The script names the folder exactly; the chooser may still be reading it.
        folder = *scripted;
    } else if (response == GTK_RESPONSE_ACCEPT) {
        gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        if (chosen == nullptr) chosen = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog));
        if (chosen != nullptr) folder = std::string(chosen);
        g_free(chosen);
    }
    gtk_widget_destroy(dialog);
    return folder;
}

}  // namespace kt::gtk
