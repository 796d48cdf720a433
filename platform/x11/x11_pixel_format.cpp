// Conversion of captured X image rows to the library's pixel layout: a straight masked copy for the common
// 32-bit layout (blue in the low byte, least significant byte first), the general mask-and-shift otherwise.
#include "x11_pixel_format.h"

#include <bit>
#include <cstring>

namespace {

// Extracts one channel given by its mask and widens it to 8 bits.
class Channel {
  public:
    explicit Channel(uint32_t mask)
        : mask_(mask), shift_(std::countr_zero(mask)), bits_(std::popcount(mask)),
          max_(bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1) {}
    bool Valid() const { return mask_ != 0; }
    uint8_t Of(uint32_t pixel) const {
        uint32_t v = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<uint8_t>(v >> (bits_ - 8));
        return static_cast<uint8_t>((v * 255 + max_ / 2) / max_);
    }

  private:
    uint32_t mask_;
    int shift_;
    int bits_;
    uint32_t max_;
};

uint32_t ReadPixelValue(const uint8_t* p, int32_t bytes, bool msbFirst) {
    uint32_t v = 0;
    if (msbFirst) {
        for (int32_t i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    } else {
        for (int32_t i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    }
    return v;
}

// The layout the library uses is already in memory: only the fourth byte needs clearing.
void CopyMasked(const uint8_t* data, int32_t bytesPerLine, int32_t width, int32_t height, uint8_t* out) {
    constexpr uint32_t mask = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = data + static_cast<size_t>(y) * static_cast<size_t>(bytesPerLine);
        uint8_t* dst = out + static_cast<size_t>(y) * rowBytes;
        for (size_t i = 0; i < rowBytes; i += 4) {
            uint32_t v;
            std::memcpy(&v, src + i, 4);
            v &= mask;
            std::memcpy(dst + i, &v, 4);
        }
    }
}

} // namespace

bool ConvertScreenRows(const uint8_t* data, int32_t bytesPerLine, int32_t width, int32_t height,
                       const ScreenPixelFormat& format, PixelGrid& out) {
    const int32_t bytes = format.bitsPerPixel / 8;
    if (width < 0 || height < 0 || (bytes != 2 && bytes != 3 && bytes != 4) || format.bitsPerPixel % 8 != 0)
        return false;
    Channel red(format.redMask);
    Channel green(format.greenMask);
    Channel blue(format.blueMask);
    if (!red.Valid() || !green.Valid() || !blue.Valid()) return false;

    out.width = width;
    out.height = height;
    // Every byte is written below, so a grid of the right size is reused as it is (no clearing).
    out.bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    const bool hostLittle = std::endian::native == std::endian::little;
    if (hostLittle && bytes == 4 && !format.mostSignificantFirst && format.redMask == 0xFF0000 &&
        format.greenMask == 0x00FF00 && format.blueMask == 0x0000FF) {
        CopyMasked(data, bytesPerLine, width, height, out.bgra.data());
        return true;
    }
    uint8_t* dst = out.bgra.data();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = data + static_cast<size_t>(y) * static_cast<size_t>(bytesPerLine);
        for (int32_t x = 0; x < width; ++x, src += bytes, dst += 4) {
            uint32_t pixel = ReadPixelValue(src, bytes, format.mostSignificantFirst);
            dst[0] = blue.Of(pixel);
            dst[1] = green.Of(pixel);
            dst[2] = red.Of(pixel);
            dst[3] = 0;
        }
    }
    return true;
}
