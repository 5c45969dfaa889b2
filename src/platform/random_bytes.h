// Bytes from the system's random source, for identities that must not
// repeat between workstations.
#pragma once

#include <cstddef>

namespace kt::platform {

// Fills `size` bytes at `out`; false when the system could not give them.
[[nodiscard]] bool FillRandomBytes(void* out, std::size_t size);

}  // namespace kt::platform
