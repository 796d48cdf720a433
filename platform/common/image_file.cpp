// Image file decoding for FINDIMG. Not built yet: every file is refused as unreadable; FINDIMG is not
// registered until this is in place.
#include "image_file.h"

int LoadImageFileToGrid(const std::u16string&, PixelGrid&) {
    return 5;
}
