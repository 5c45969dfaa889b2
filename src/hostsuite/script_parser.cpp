#include "hostsuite/script_parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace kt::hostsuite {

namespace {

enum class TokenKind { Word, Quoted, Colon, Semicolon };

struct Token {
    TokenKind kind;
    std::string text;
};

struct LineError {
    std::string message;
};

bool IsSeparator(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == ';' || c == ':' || c == '"';
}

// Reads the quoted text that starts at `pos` (on the opening quote).
std::string ReadQuoted(const std::string& line, std::size_t& pos) {
    std::string text;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (++pos == line.size()) break;
        switch (line[pos]) {
            case '\\': text.push_back('\\'); break;
            case '"': text.push_back('"'); break;
            case 'n': text.push_back('\n'); break;
            case 'r': text.push_back('\r'); break;
            case 't': text.push_back('\t'); break;
            default: throw LineError{std::string("unknown escape \\") + line[pos]};
        }
    }
    throw LineError{"unterminated quoted text"};
}

std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const char c = line[pos];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos;
        } else if (c == ':' || c == ';') {
            tokens.push_back({c == ':' ? TokenKind::Colon : TokenKind::Semicolon, std::string(1, c)});
            ++pos;
        } else if (c == '"') {
            tokens.push_back({TokenKind::Quoted, ReadQuoted(line, pos)});
        } else {
            const std::size_t start = pos;
            while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
            tokens.push_back({TokenKind::Word, line.substr(start, pos - start)});
        }
    }
    return tokens;
}

std::string Lowered(std::string word) {
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word;
}

std::optional<int> ParseNumber(const std::string& word) {
    int value = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (word.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// The tokens of one line, consumed from the front.
class Cursor {
public:
    explicit Cursor(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool AtEnd() const { return next_ == tokens_.size(); }
    bool NextIs(TokenKind kind) const { return !AtEnd() && tokens_[next_].kind == kind; }

    Token Take(TokenKind kind, const char* what) {
        if (!NextIs(kind)) throw LineError{std::string("expected ") + what};
        return tokens_[next_++];
    }
    std::string Word(const char* what) { return Take(TokenKind::Word, what).text; }
    std::string Quoted(const char* what) { return Take(TokenKind::Quoted, what).text; }
    int Number(const char* what) {
        const std::optional<int> value = ParseNumber(Word(what));
        if (!value || *value < 0) throw LineError{std::string("expected ") + what};
        return *value;
    }
    void Arrow() {
        if (Word("->") != "->") throw LineError{"expected ->"};
    }
    void End() {
        if (!AtEnd()) throw LineError{"unexpected \"" + tokens_[next_].text + "\""};
    }

private:
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
};

// ID or "PREFIX": what a message or custom-button line matches.
void ReadBoxMatch(Cursor& cursor, ScriptLine& line) {
    if (cursor.NextIs(TokenKind::Quoted)) line.prefix = cursor.Quoted("a text");
    else line.id = cursor.Number("a string identifier or a quoted text");
    cursor.Arrow();
}

void ReadMessage(Cursor& cursor, ScriptLine& line) {
    ReadBoxMatch(cursor, line);
    const std::optional<int> answer = ParseAnswer(cursor.Word("an answer"));
    if (!answer) throw LineError{"the answer must be ok, cancel, retry, yes, no or a number"};
    line.answer = *answer;
    cursor.End();
}

void ReadButtons(Cursor& cursor, ScriptLine& line) {
    ReadBoxMatch(cursor, line);
    const std::optional<int> answer = ParseNumber(cursor.Word("23, 24 or 25"));
    if (!answer || *answer < kIdButton1 || *answer > kIdButton3) {
        throw LineError{"the answer must be 23, 24 or 25"};
    }
    line.answer = *answer;
    cursor.End();
}

void ReadCredentials(Cursor& cursor, ScriptLine& line) {
    cursor.Arrow();
    if (cursor.NextIs(TokenKind::Word)) {
        if (Lowered(cursor.Word("cancel")) != "cancel") throw LineError{"expected cancel"};
    } else {
        Credentials credentials;
        credentials.user = cursor.Quoted("a quoted user name");
        credentials.password = cursor.Quoted("a quoted password");
        line.credentials = credentials;
    }
    cursor.End();
}

void ReadFolder(Cursor& cursor, ScriptLine& line) {
    cursor.Arrow();
    if (cursor.NextIs(TokenKind::Word)) {
        if (Lowered(cursor.Word("cancel")) != "cancel") throw LineError{"expected cancel"};
    } else {
        line.folder = cursor.Quoted("a quoted folder");
    }
    cursor.End();
}

DialogAction ReadAction(Cursor& cursor) {
    DialogAction action;
    const std::string verb = Lowered(cursor.Word("an action"));
    if (verb == "click" || verb == "check" || verb == "uncheck") {
        action.kind = verb == "click" ? ActionKind::Click
                                      : (verb == "check" ? ActionKind::Check : ActionKind::Uncheck);
        action.control = cursor.Number("a control identifier");
    } else if (verb == "text" || verb == "select" || verb == "add" || verb == "deselect") {
        action.kind = verb == "text"     ? ActionKind::Text
                      : verb == "select" ? ActionKind::Select
                      : verb == "add"    ? ActionKind::Add
                                         : ActionKind::Deselect;
        action.control = cursor.Number("a control identifier");
        action.value = cursor.Quoted("a quoted text");
    } else if (verb == "wait") {
        action.kind = ActionKind::Wait;
        action.control = cursor.Number("a control identifier");
        action.number = cursor.Number("a position");
    } else if (verb == "sleep") {
        action.kind = ActionKind::Sleep;
        action.number = cursor.Number("milliseconds");
    } else if (verb == "close" || verb == "escape") {
        action.kind = verb == "close" ? ActionKind::Close : ActionKind::Escape;
    } else {
        throw LineError{"unknown action \"" + verb + "\""};
    }
    return action;
}

void ReadDialog(Cursor& cursor, ScriptLine& line) {
    line.id = cursor.Number("a dialog identifier");
    cursor.Take(TokenKind::Colon, ":");
    while (!cursor.AtEnd()) {
        if (cursor.NextIs(TokenKind::Semicolon)) {
            cursor.Take(TokenKind::Semicolon, ";");
            continue;
        }
        line.actions.push_back(ReadAction(cursor));
        if (!cursor.AtEnd()) cursor.Take(TokenKind::Semicolon, ";");
    }
}

ScriptLine ReadLine(std::vector<Token> tokens, int lineNumber) {
    ScriptLine line;
    line.lineNumber = lineNumber;
    if (!tokens.empty() && tokens.back().kind == TokenKind::Word && tokens.back().text == "*") {
        line.reusable = true;
        tokens.pop_back();
    }
    Cursor cursor(std::move(tokens));
    const std::string item = Lowered(cursor.Word("message, buttons, credentials, folder or dialog"));
    if (item == "message") {
        line.item = ScriptItem::Message;
        ReadMessage(cursor, line);
    } else if (item == "buttons") {
        line.item = ScriptItem::Buttons;
        ReadButtons(cursor, line);
    } else if (item == "credentials") {
        line.item = ScriptItem::Credentials;
        ReadCredentials(cursor, line);
    } else if (item == "folder") {
        line.item = ScriptItem::Folder;
        ReadFolder(cursor, line);
    } else if (item == "dialog") {
        line.item = ScriptItem::Dialog;
        ReadDialog(cursor, line);
    } else {
        throw LineError{"unknown item \"" + item + "\""};
    }
    return line;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<int> ParseAnswer(const std::string& word) {
    const std::string answer = Lowered(word);
    if (answer == "ok") return kIdOk;
    if (answer == "cancel") return kIdCancel;
    if (answer == "retry") return kIdRetry;
    if (answer == "yes") return kIdYes;
    if (answer == "no") return kIdNo;
    return ParseNumber(word);
}

std::variant<Script, ScriptError> ParseScript(const std::string& text) {
    std::vector<ScriptLine> lines;
    std::istringstream input(text);
    std::string raw;
    int number = 0;
    while (std::getline(input, raw)) {
        ++number;
        const std::string line = Trimmed(raw);
        if (line.empty() || line.front() == '#') continue;
        try {
            lines.push_back(ReadLine(Tokenize(line), number));
        } catch (const LineError& error) {
            return ScriptError{number, error.message};
        }
    }
    return Script(std::move(lines));
}

std::variant<Script, ScriptError> LoadScript(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return ScriptError{0, "cannot read " + path.string()};
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) return ScriptError{0, "cannot read " + path.string()};
    return ParseScript(content.str());
}

}  // namespace kt::hostsuite
