// Bytes from the system's random source, for identities that must not
// repeat between workstations.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kt::platform {

// Fills `size` bytes at `out`; false when the system could not give them.
[[nodiscard]] bool FillRandomBytes(void* out, std::size_t size);

// Twelve hex digits from the random source, for temporary names beside a
// file; nothing when the system could not give them.
[[nodiscard]] std::optional<std::string> RandomNameSuffix();

}  // namespace kt::platform
