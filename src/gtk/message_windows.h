// The message box, the custom-button box, the proxy credentials prompt and
// the folder browser as windows. Each is answered by a person, or by a script pressing its
// buttons, or (a script without an answer for it) closed with its safe
// answer. On the toolkit thread.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "hostsuite/presenter.h"
#include "hostsuite/terminal_text.h"

namespace kt::gtk {

enum class Answering { ByPerson, ByScript, Unanswered };

struct BoxRequest {
    std::string caption;
    std::string text;
    unsigned style = 0;
    std::vector<hostsuite::Choice> buttons;
    // Given when the box is closed without a button, or not answered.
    int safeAnswer = hostsuite::kIdCancel;
};

// The button code; `scripted` is the script's answer when answering ByScript.
int RunMessageWindow(GtkWindow* owner, const BoxRequest& box, Answering answering, int scripted);

// The login typed, nothing when cancelled; `scripted` is the script's answer.
std::optional<hostsuite::Credentials> RunCredentialsWindow(GtkWindow* owner, const std::string& target,
                                                           Answering answering,
                                                           const std::optional<hostsuite::Credentials>& scripted);

// The folder picked, nothing when cancelled; `scripted` is the script's answer.
std::optional<std::string> RunFolderWindow(GtkWindow* owner, const std::string& caption, const std::string& initialFolder,
                                           Answering answering, const std::optional<std::string>& scripted);

// The message type the style's icon stands for.
GtkMessageType MessageType(unsigned style);

}  // namespace kt::gtk
