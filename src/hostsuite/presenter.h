// What shows the module's messages and dialogs to a person. The message box,
// the custom-button box, the proxy credentials prompt and the modal dialogs
// all go through the active presenter; the host (or kthost) chooses it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace kt::hostsuite {

using Window = void*;

// The owner used where there is no host window (critical run, null parent).
Window DesktopWindow();

// Identifier of a text that did not come from the string table.
inline constexpr int kLiteralText = -1;

// Result codes of the message boxes.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kIdButton1 = 23;
inline constexpr int kIdButton2 = 24;
inline constexpr int kIdButton3 = 25;

struct MessageRequest {
    Window owner = nullptr;
    int stringId = kLiteralText;
    std::string text;
    std::string caption;
    unsigned style = 0;
    int flag = 1;
};

struct ButtonsRequest {
    Window owner = nullptr;
    int stringId = kLiteralText;
    std::string text;
    std::string caption;
    unsigned style = 0;
    // Captions of the custom buttons, separated by "\r\n".
    std::string buttons;
    int flag = 1;
};

struct Credentials {
    std::string user;
    std::string password;
};

class DialogModel;

class Presenter {
public:
    virtual ~Presenter() = default;
    // Returns the button pressed (kIdOk, kIdCancel, kIdRetry, kIdYes, kIdNo).
    virtual int ShowMessage(const MessageRequest& request) = 0;
    // Returns kIdButton1, kIdButton2 or kIdButton3.
    virtual int ShowButtons(const ButtonsRequest& request) = 0;
    // Asks for a proxy login; nothing when the person cancels.
    virtual std::optional<Credentials> AskCredentials(const std::string& target) = 0;
    // Runs the dialog modally until it ends; returns its end result.
    virtual int RunDialog(DialogModel& dialog) = 0;
    // The folder browser, titled `caption`, starting on `initialFolder`:
    // the folder picked, or nothing when the person cancels. A presenter
    // that cannot browse cancels.
    virtual std::optional<std::string> ChooseFolder(Window /*owner*/, const std::string& /*caption*/,
                                                    const std::string& /*initialFolder*/) {
        return std::nullopt;
    }
    // Shows that the module is busy (the wait cursor) or no longer busy.
    virtual void ShowBusy(bool /*busy*/) {}
};

// The presenter in use; the terminal presenter until another is installed.
Presenter& ActivePresenter();
void InstallPresenter(std::shared_ptr<Presenter> presenter);

}  // namespace kt::hostsuite
