// The platform's millisecond clock: CLOCK_MONOTONIC through std::chrono::steady_clock, cut to 32 bits so it
// wraps the way the macro built-ins expect.
#include "monotonic_clock.h"

#include <chrono>

int32_t MonotonicMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}
