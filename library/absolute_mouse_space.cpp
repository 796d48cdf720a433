// Conversions between MUS's absolute positions and screen pixels over the primary monitor, in 64-bit
// arithmetic with division rounded toward minus infinity, so positions left of or above the monitor work
// alike.
#include "absolute_mouse_space.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t kSpan = 65536;
constexpr int64_t kLast = kSpan - 1;

int64_t FloorDivide(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int64_t CeilDivide(int64_t value, int64_t divisor) {
    return -FloorDivide(-value, divisor);
}

int32_t Saturated(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

int32_t PixelOfAbsolutePosition(int32_t position, int32_t origin, int32_t extent) {
    if (extent <= 0) return origin;
    return Saturated(origin + FloorDivide(static_cast<int64_t>(position) * extent, kSpan));
}

int32_t AbsolutePositionOfPixel(int32_t pixel, int32_t origin, int32_t extent) {
    if (extent <= 0) return 0;
    const int64_t offset = static_cast<int64_t>(pixel) - origin;
    if (offset >= 0 && offset < extent)
        return extent == 1 ? 0 : Saturated(CeilDivide(offset * kLast, extent - 1));
    // The smallest position whose pixel is this one.
    return Saturated(CeilDivide(offset * kSpan, extent));
}
