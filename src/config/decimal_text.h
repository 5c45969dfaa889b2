// Numbers held as text in the module's files (flags, version parts, date
// parts, ports), read by the C atoi rule: leading blanks, an optional sign,
// then digits; anything else ends the number and no digits read as 0.
#pragma once

#include <string_view>

namespace kt::config {

// Out-of-range values are clamped to the limits of long long.
long long DecimalValue(std::string_view text);

// A flag is on when its number is non-zero.
[[nodiscard]] bool FlagIsOn(std::string_view text);

}  // namespace kt::config
