// FindImage: the exact search of a template picture on a screen picture, giving the first position in column
// order (x outermost, then y) where every template pixel equals the screen pixel in all three colour bytes.
#pragma once

#include "desktop_platform.h"

#include <cstdint>

// True when the template occurs on the screen; x and y are then the left and top edge of the first
// occurrence in column order (smallest x, and the smallest y at that x). An empty template, or one wider or
// taller than the screen, is never found. The reserved fourth byte of each pixel is ignored.
bool FindImage(const PixelGrid& screen, const PixelGrid& templ, int32_t& x, int32_t& y);

// How many places of the screen show the template, for telling a user whether a picture picks out one place.
struct ImageMatchCount {
    int32_t count = 0;   // occurrences found, overlapping ones included, at most the limit asked for
    bool capped = false; // the limit was reached: there may be more
    int32_t x = 0;       // the first occurrence in column order, as FindImage gives it (when count > 0)
    int32_t y = 0;
};

// Counts the occurrences of the template on the screen, stopping at `limit` (at least 1), so that a plain
// picture on a plain screen is answered at once. The grids are read as FindImage reads them.
ImageMatchCount CountImageMatches(const PixelGrid& screen, const PixelGrid& templ, int32_t limit);
