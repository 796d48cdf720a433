// ScreenPixelFormat and ConvertScreenRows: turning the rows of a captured X image (24 or 32 bits per pixel,
// any channel masks, either byte order) into a PixelGrid of blue, green, red, 0.
#pragma once

#include "desktop_platform.h"

#include <cstdint>

struct ScreenPixelFormat {
    int32_t bitsPerPixel = 32;         // 16, 24 or 32
    bool mostSignificantFirst = false; // byte order of each pixel in the data
    uint32_t redMask = 0xFF0000;
    uint32_t greenMask = 0x00FF00;
    uint32_t blueMask = 0x0000FF;
};

// True when the rows can be converted (a bit count the function knows and non-empty masks); out is then
// width × height pixels. Channels narrower than 8 bits are scaled up to the full 0..255 range.
bool ConvertScreenRows(const uint8_t* data, int32_t bytesPerLine, int32_t width, int32_t height,
                       const ScreenPixelFormat& format, PixelGrid& out);
