#include "platform/random_bytes.h"

#include <sys/random.h>

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

}  // namespace kt::platform
