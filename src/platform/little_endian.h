// 32-bit fields stored little-endian in byte blocks shared with other
// programs (the card-reader library, the installer), whatever the host's
// byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt::platform {

inline std::uint32_t ReadLe32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline void WriteLe32(unsigned char* at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace kt::platform
