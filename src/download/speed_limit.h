// The speed limit of a transfer: after each piece the worker sleeps until
// the average rate of the file since its start is back at the limit.
#pragma once

#include <chrono>
#include <cstdint>

namespace kt::download {

// The pause before the next read, for the limit `limit` (Ko/sec, taken as
// bytes per millisecond) after `bytes` bytes of the file in `elapsed` since
// its start; zero when the average is within the limit, when there is no
// limit, or when no time has passed yet (no rate can be known then).
std::chrono::milliseconds SpeedLimitPause(double limit, std::uint64_t bytes, std::chrono::duration<double, std::milli> elapsed);

}  // namespace kt::download
