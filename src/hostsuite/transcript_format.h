// The lines of a transcript: one per item shown, texts quoted with \\ \" \n
// \r \t escaped and everything else kept as UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostsuite/control.h"
#include "hostsuite/dialog_action.h"
#include "hostsuite/presenter.h"

namespace kt::hostsuite {

class DialogModel;

// The text between double quotes, escaped.
std::string QuoteText(const std::string& text);

// "ok", "cancel", "retry", "yes" or "no" for those codes; the number otherwise.
std::string AnswerName(int code);

// The action as a script writes it.
std::string FormatAction(const DialogAction& action);

std::string MessageLine(const MessageRequest& request, int answer, bool unscripted);
std::string ButtonsLine(const ButtonsRequest& request, int answer, bool unscripted);
std::string CredentialsLine(const std::string& target, const std::optional<Credentials>& answer,
                            bool unscripted);
// The folder browser: the folder picked in quotes, or cancel.
std::string FolderLine(const std::string& caption, const std::optional<std::string>& answer, bool unscripted);
std::string DialogOpenLine(int dialog, const std::string& caption);
std::string DialogActionLine(int dialog, const DialogAction& action);
// The action played on `dialog`; a text typed into a password edit shows as "***".
std::string DialogActionLine(const DialogModel& dialog, const DialogAction& action);
std::string DialogEndLine(int dialog, int result, bool unscripted);
// "busy on" or "busy off".
std::string BusyLine(bool busy);

// The "row" lines of one list: one per item, in list order, its cells joined
// by tabs.
std::vector<std::string> ListRowLines(int dialog, const Control& list);

// The "text" lines of an ending dialog: its labels and edits whose text is
// not empty, in identifier order; a password edit's text shows as "***".
std::vector<std::string> DialogTextLines(const DialogModel& dialog);

}  // namespace kt::hostsuite
