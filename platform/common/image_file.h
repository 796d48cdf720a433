// LoadImageFile: decodes a picture file (BMP, GIF, JPEG, PNG, ICO) into a PixelGrid at its natural size.
#pragma once

#include "desktop_platform.h"

#include <string>

// Returns 0, 53 when the file does not exist, 5 when it cannot be decoded.
int LoadImageFileToGrid(const std::u16string& path, PixelGrid& out);
