#include "hostsuite/script.h"

#include <utility>

namespace kt::hostsuite {

namespace {

bool MatchesBox(const ScriptLine& line, int stringId, const std::string& text) {
    if (line.id) return *line.id == stringId;
    return line.prefix && text.compare(0, line.prefix->size(), *line.prefix) == 0;
}

}  // namespace

Script::Script(std::vector<ScriptLine> lines) : lines_(std::move(lines)), used_(lines_.size(), false) {}

const ScriptLine* Script::Take(const std::function<bool(const ScriptLine&)>& matches) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (used_[i] || !matches(lines_[i])) continue;
        if (!lines_[i].reusable) used_[i] = true;
        return &lines_[i];
    }
    return nullptr;
}

const ScriptLine* Script::TakeMessage(int stringId, const std::string& text) {
    return Take([&](const ScriptLine& line) {
        return line.item == ScriptItem::Message && MatchesBox(line, stringId, text);
    });
}

const ScriptLine* Script::TakeButtons(int stringId, const std::string& text) {
    return Take([&](const ScriptLine& line) {
        return line.item == ScriptItem::Buttons && MatchesBox(line, stringId, text);
    });
}

const ScriptLine* Script::TakeCredentials() {
    return Take([](const ScriptLine& line) { return line.item == ScriptItem::Credentials; });
}

const ScriptLine* Script::TakeFolder() {
    return Take([](const ScriptLine& line) { return line.item == ScriptItem::Folder; });
}

const ScriptLine* Script::TakeDialog(int resourceId) {
    return Take([&](const ScriptLine& line) {
        return line.item == ScriptItem::Dialog && line.id && *line.id == resourceId;
    });
}

}  // namespace kt::hostsuite
