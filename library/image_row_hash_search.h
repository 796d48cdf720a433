// FindImageByRowHashes: the exact template search in time proportional to the screen's size whatever the
// pictures hold, for screens where the probe search would compare nearly every position in full.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <functional>

// The same answer as FindImage (the first occurrence in column order, colour bytes only), found by hashing
// every template-wide run of each screen row and matching the template's row hashes down each column
// (Knuth-Morris-Pratt), with each candidate confirmed pixel by pixel. Both grids must be well formed and the
// template no larger than the screen.
bool FindImageByRowHashes(const PixelGrid& screen, const PixelGrid& templ, int32_t& x, int32_t& y);

// Calls `visit` with the left and top edge of each occurrence of the template, overlapping ones included, in
// column order, until it returns false. The same conditions on the grids as above.
void VisitMatchesByRowHashes(const PixelGrid& screen, const PixelGrid& templ,
                             const std::function<bool(int32_t x, int32_t y)>& visit);
