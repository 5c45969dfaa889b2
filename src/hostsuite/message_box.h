// The host suite's message boxes: the plain box and the box with custom
// buttons, with the arguments and result codes every caller relies on.
#pragma once

#include <optional>
#include <string>

#include "hostsuite/presenter.h"

namespace kt::hostsuite {

// Message-box styles the module uses.
inline constexpr unsigned kStyleErrorOk = 0x10;
inline constexpr unsigned kStyleInfoOk = 0x40;
inline constexpr unsigned kStyleQuestionYesNo = 0x24;
inline constexpr unsigned kStyleWarningYesNo = 0x34;
inline constexpr unsigned kStyleInfoYesNo = 0x44;
inline constexpr unsigned kStyleErrorYesNo = 0x14;
inline constexpr unsigned kStyleWarningRetryCancel = 0x35;

// The button record of the custom-button box. Only the captions matter to the
// module; the presentation words are kept at their initial values.
struct ButtonRecord {
    std::string captions = "&Oui\r\n&Non\r\n&Options...";
};

// The message box. `stringId` names the string-table entry the text came
// from (kLiteralText for a literal); it only serves the transcript.
int KtMessageBox(Window owner, const std::string& text, const std::string& caption,
                 unsigned style, int flag, int stringId = kLiteralText);

// The box with custom buttons: 23, 24 or 25.
int KtMessageBoxButtons(Window owner, const std::string& text, const std::string& caption,
                        unsigned style, const ButtonRecord& buttons, int flag,
                        int stringId = kLiteralText);

// The folder browser owned by `owner`: the folder picked, nothing when cancelled.
std::optional<std::string> BrowseForFolder(Window owner, const std::string& caption,
                                           const std::string& initialFolder);

}  // namespace kt::hostsuite
