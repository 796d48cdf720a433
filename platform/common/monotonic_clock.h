// MonotonicMilliseconds: the millisecond clock of the platform, from a clock that never jumps with the
// time of day.
#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start, wrapping as a signed 32-bit number.
int32_t MonotonicMilliseconds();
