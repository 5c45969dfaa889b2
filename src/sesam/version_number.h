// The number the pack's table versions are compared by.
#pragma once

#include <string_view>

namespace kt::sesam {

// Splits on "."; keeps the first part as written and appends every further
// part as its decimal value without leading zeros, then reads the whole as
// a decimal number: 1.40 gives 140, 1.04 and 1.4 give 14, 2 gives 2.
long long VersionToNumber(std::string_view version);

}  // namespace kt::sesam
