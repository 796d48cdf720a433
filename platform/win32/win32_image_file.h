// Image files for FINDIMG on Windows: decoded by the Windows Imaging Component (BMP, GIF, JPEG, PNG, ICO,
// TIFF and whatever codecs the system has).
#pragma once

#include "desktop_platform.h"

#include <string>

// Decodes the first frame of an image file at its natural size into a grid (blue, green, red, 0). Returns 0,
// 53 when the file does not exist, 5 when it cannot be decoded, 6 when it is too large.
int LoadImageFileWithWic(const std::u16string& path, PixelGrid& out);
