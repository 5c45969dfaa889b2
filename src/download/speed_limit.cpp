#include "download/speed_limit.h"

#include <cmath>

namespace kt::download {

std::chrono::milliseconds SpeedLimitPause(double limit, std::uint64_t bytes,
                                          std::chrono::duration<double, std::milli> elapsed) {
    const double elapsedMs = elapsed.count();
    if (!(limit > 0.0) || !(elapsedMs > 0.0)) return std::chrono::milliseconds(0);
    const double rate = static_cast<double>(bytes) / elapsedMs;
    if (rate <= limit) return std::chrono::milliseconds(0);
    // The moment at which the average would equal the limit.
    const double pause = static_cast<double>(bytes) / limit - elapsedMs;
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(pause)));
}

}  // namespace kt::download
