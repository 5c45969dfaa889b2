// One statement of the activity log (KT_LOG << ...): the message is put
// together in plain text and handed to the logger once, whole, when the
// statement ends. Values are written as the logging library writes them.
#pragma once

#include <easylogging++.h>

#include <charconv>
#include <concepts>
#include <sstream>
#include <string>
#include <type_traits>

namespace kt::log {

// Whole numbers other than characters and truth values.
template <typename T>
concept Count = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
                !std::same_as<T, signed char> && !std::same_as<T, unsigned char> && !std::same_as<T, wchar_t> &&
                !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t>;

class Statement {
public:
    // `source`, `line` and `function` show only in the lines of the levels
    // whose format names them.
    Statement(el::Level level, const char* source, int line, const char* function);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // A text ends at its first NUL, as the library reads it.
    Statement& operator<<(const std::string& text) { return *this << text.c_str(); }
    // A null text adds nothing (in the library's stream it would silence every later line).
    Statement& operator<<(const char* text) {
        if (text != nullptr) text_->append(text, std::char_traits<char>::length(text));
        return *this;
    }
    Statement& operator<<(char c) {
        text_->push_back(c);
        return *this;
    }
    Statement& operator<<(bool value) { return *this << (value ? '1' : '0'); }
    template <Count T>
    Statement& operator<<(T value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        text_->append(digits, end);
        return *this;
    }
    // Anything else as the library writes it: character arrays as texts, the
    // rest (decimals, pointers, paths in quotes) through a stream.
    template <typename T>
        requires(!Count<T>)
    Statement& operator<<(const T& value) {
        if constexpr (std::is_convertible_v<const T&, const char*>) {
            return *this << static_cast<const char*>(value);
        } else {
            std::ostringstream stream;
            stream << value;
            text_->append(stream.str());
            return *this;
        }
    }

private:
    const el::Level level_;
    const char* const source_;
    const int line_;
    const char* const function_;
    // The thread's own buffer, or `own_` for a statement logged while
    // another one of the same thread is being put together.
    std::string* text_;
    std::string own_;
    bool borrowed_;
};

}  // namespace kt::log
