// Values read from the configuration are cut to a maximum length, counted in
// characters and never cutting a UTF-8 character in two.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kt::config {

// The first `maxChars` characters of `text`. A byte that does not continue
// a UTF-8 sequence starts a new character, so 8-bit text written by older
// versions counts one character per byte.
std::string LimitChars(std::string_view text, std::size_t maxChars);

}  // namespace kt::config
