// The module's string table: every user text that has an identifier, in
// French, UTF-8.
#pragma once

#include <initializer_list>
#include <string>

namespace kt::strings {

// The text of entry `id`; empty for an identifier the table does not hold.
std::string LoadString(int id);

// Replaces "%1", "%2", ... in `text` by the arguments in order, as the
// host suite's message formatting does. A "%n" without an argument stays.
std::string FormatString(const std::string& text, std::initializer_list<std::string> args);

}  // namespace kt::strings
