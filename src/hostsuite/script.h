// A script of answers for the scripted presenter: one line per item shown,
// the first unused matching line answers, a reusable line answers any number
// of items.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hostsuite/dialog_action.h"
#include "hostsuite/presenter.h"

namespace kt::hostsuite {

enum class ScriptItem { Message, Buttons, Credentials, Folder, Dialog };

struct ScriptLine {
    int lineNumber = 0;
    ScriptItem item = ScriptItem::Message;
    bool reusable = false;
    // Messages and custom-button boxes match by string identifier or by the
    // beginning of their text; dialogs by resource identifier.
    std::optional<int> id;
    std::optional<std::string> prefix;
    // The button code of a message or custom-button box.
    int answer = 0;
    // The login given to a credentials prompt; none answers cancel.
    std::optional<Credentials> credentials;
    // The folder picked in the folder browser; none answers cancel.
    std::optional<std::string> folder;
    std::vector<DialogAction> actions;
};

class Script {
public:
    Script() = default;
    explicit Script(std::vector<ScriptLine> lines);

    // Each returns the line that answers the item, marked used unless it is
    // reusable, or nullptr when no unused line matches.
    const ScriptLine* TakeMessage(int stringId, const std::string& text);
    const ScriptLine* TakeButtons(int stringId, const std::string& text);
    const ScriptLine* TakeCredentials();
    const ScriptLine* TakeFolder();
    const ScriptLine* TakeDialog(int resourceId);

    const std::vector<ScriptLine>& Lines() const { return lines_; }

private:
    const ScriptLine* Take(const std::function<bool(const ScriptLine&)>& matches);

    std::vector<ScriptLine> lines_;
    std::vector<bool> used_;
};

}  // namespace kt::hostsuite
