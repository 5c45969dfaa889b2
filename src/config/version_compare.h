// Order of version texts major.minor.build.
#pragma once

namespace kt::config {

// 1 when a > b, -1 when a < b, 0 when equal. Parts are compared as decimal
// numbers, at most three of them (5.2.0.7 equals 5.2.0.1); a version with
// a part more is greater (5.2.0 > 5.2). nullptr is below any version.
// Only the first 51 characters of each text count.
[[nodiscard]] int CompareVersions(const char* a, const char* b);

}  // namespace kt::config
