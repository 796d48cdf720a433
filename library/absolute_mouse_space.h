// MUS's absolute space: positions 0..65535 across the primary monitor along each axis, and the pixels they
// stand for. The scale goes on past the monitor's edges, so every pixel of the screen has a position.
#pragma once

#include <cstdint>

// The pixel, along one axis, that an absolute position stands for on a monitor whose first pixel is `origin`
// and that is `extent` pixels long: origin + position × extent / 65536, rounded down. A position outside
// 0..65535 gives a pixel off the monitor (on another monitor, or off the screen), nothing is clamped here.
int32_t PixelOfAbsolutePosition(int32_t position, int32_t origin, int32_t extent);

// The absolute position of a pixel, so that PixelOfAbsolutePosition gives the pixel back. On the monitor the
// first pixel is 0 and the last 65535, rounded up in between, so that the other common mapping back,
// position × (extent − 1) / 65535 rounded either way, lands on the same pixel too. Off the monitor the
// position lies outside 0..65535, on the pixel's side. 0 for a monitor without pixels.
int32_t AbsolutePositionOfPixel(int32_t pixel, int32_t origin, int32_t extent);
