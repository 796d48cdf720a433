// The check shared by the Linux and Windows tests of region captures: a region must hold exactly the pixels a
// whole-screen capture has at the same places, and black where it reaches past the screen.
#pragma once

#include "desktop_platform.h"

#include <algorithm>
#include <cstdint>

// How many pixels of `region`, taken at (left, top), differ from `whole` there.
inline int RegionMismatches(const PixelGrid& whole, const PixelGrid& region, int32_t left, int32_t top) {
    static const uint8_t kBlack[4] = {0, 0, 0, 0};
    int mismatches = 0;
    for (int32_t y = 0; y < region.height; ++y) {
        for (int32_t x = 0; x < region.width; ++x) {
            const int64_t sx = static_cast<int64_t>(left) + x;
            const int64_t sy = static_cast<int64_t>(top) + y;
            const bool on = sx >= 0 && sy >= 0 && sx < whole.width && sy < whole.height;
            const uint8_t* want =
                on ? whole.Pixel(static_cast<int32_t>(sx), static_cast<int32_t>(sy)) : kBlack;
            const uint8_t* got = region.Pixel(x, y);
            if (!std::equal(got, got + 4, want)) ++mismatches;
        }
    }
    return mismatches;
}
