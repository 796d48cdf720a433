// FindImage: the exact search of a template picture on a screen picture, giving the first position in column
// order (x outermost, then y) where every template pixel equals the screen pixel in all three colour bytes.
#pragma once

#include "desktop_platform.h"

#include <cstdint>

// True when the template occurs on the screen; x and y are then the left and top edge of the first
// occurrence in column order (smallest x, and the smallest y at that x). An empty template, or one wider or
// taller than the screen, is never found. The reserved fourth byte of each pixel is ignored.
bool FindImage(const PixelGrid& screen, const PixelGrid& templ, int32_t& x, int32_t& y);
