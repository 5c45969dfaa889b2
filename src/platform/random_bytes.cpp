#include "platform/random_bytes.h"

#include <sys/random.h>

#include <cstdio>

#include "platform/sys_error.h"

namespace kt::platform {

bool FillRandomBytes(void* out, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = RetryOnEintr([&] { return getrandom(bytes + done, size - done, 0); });
        if (got < 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::string> RandomNameSuffix() {
    unsigned char bytes[6] = {};
    if (!FillRandomBytes(bytes, sizeof bytes)) return std::nullopt;
    std::string suffix;
    for (unsigned char byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        suffix += hex;
    }
    return suffix;
}

}  // namespace kt::platform
