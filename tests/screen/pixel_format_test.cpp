// Tests of the conversion of captured X image rows: the usual 32-bit layout, other channel masks, the other
// byte order, packed 24-bit pixels, narrow channels, row padding, and layouts that cannot be read.
#include "x11_pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Bgr(const PixelGrid& g) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < g.bgra.size(); i += 4) {
        out.push_back(g.bgra[i]);
        out.push_back(g.bgra[i + 1]);
        out.push_back(g.bgra[i + 2]);
        EXPECT_EQ(g.bgra[i + 3], 0) << "reserved byte at " << i;
    }
    return out;
}

TEST(PixelFormat, UsualLayoutWithPaddedRowsAndAFilledFourthByte) {
    // Two rows of two pixels, each row padded to 12 bytes; the fourth byte of each pixel is not zero.
    std::vector<uint8_t> data = {0x56, 0x34, 0x12, 0xFF, 0x01, 0x02, 0x03, 0x80, 0xEE, 0xEE, 0xEE, 0xEE,
                                 0x00, 0x00, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0xEE, 0xEE, 0xEE, 0xEE};
    PixelGrid out;
    ASSERT_TRUE(ConvertScreenRows(data.data(), 12, 2, 2, ScreenPixelFormat{}, out));
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 2);
    EXPECT_EQ(Bgr(out),
              (std::vector<uint8_t>{0x56, 0x34, 0x12, 0x01, 0x02, 0x03, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(PixelFormat, OtherMasksAndByteOrder) {
    // Red in the low byte, blue in the third: the pixel 0x00563412 is red 0x12, green 0x34, blue 0x56.
    ScreenPixelFormat swapped;
    swapped.redMask = 0x0000FF;
    swapped.blueMask = 0xFF0000;
    std::vector<uint8_t> lsb = {0x12, 0x34, 0x56, 0x00};
    PixelGrid out;
    out.bgra.assign(4, 0xAA); // a grid of the right size is refilled completely, reserved byte included
    ASSERT_TRUE(ConvertScreenRows(lsb.data(), 4, 1, 1, swapped, out));
    EXPECT_EQ(Bgr(out), (std::vector<uint8_t>{0x56, 0x34, 0x12}));

    ScreenPixelFormat msb;
    msb.mostSignificantFirst = true; // the usual masks, bytes stored high first: 00 RR GG BB
    std::vector<uint8_t> big = {0x00, 0x12, 0x34, 0x56};
    ASSERT_TRUE(ConvertScreenRows(big.data(), 4, 1, 1, msb, out));
    EXPECT_EQ(Bgr(out), (std::vector<uint8_t>{0x56, 0x34, 0x12}));

    ScreenPixelFormat high; // colour in the upper three bytes: RR GG BB 00 as a number
    high.redMask = 0xFF000000;
    high.greenMask = 0x00FF0000;
    high.blueMask = 0x0000FF00;
    std::vector<uint8_t> upper = {0x99, 0x56, 0x34, 0x12};
    ASSERT_TRUE(ConvertScreenRows(upper.data(), 4, 1, 1, high, out));
    EXPECT_EQ(Bgr(out), (std::vector<uint8_t>{0x56, 0x34, 0x12}));
}

TEST(PixelFormat, PackedAndNarrowPixels) {
    ScreenPixelFormat packed;
    packed.bitsPerPixel = 24;
    std::vector<uint8_t> data = {0x56, 0x34, 0x12, 0x03, 0x02, 0x01, 0x00, 0x00}; // two pixels and padding
    PixelGrid out;
    ASSERT_TRUE(ConvertScreenRows(data.data(), 8, 2, 1, packed, out));
    EXPECT_EQ(Bgr(out), (std::vector<uint8_t>{0x56, 0x34, 0x12, 0x03, 0x02, 0x01}));

    ScreenPixelFormat rgb565;
    rgb565.bitsPerPixel = 16;
    rgb565.redMask = 0xF800;
    rgb565.greenMask = 0x07E0;
    rgb565.blueMask = 0x001F;
    std::vector<uint8_t> narrow = {0x1F, 0xF8, 0xE0, 0x07}; // pure red + blue at full, then pure green
    ASSERT_TRUE(ConvertScreenRows(narrow.data(), 4, 2, 1, rgb565, out));
    EXPECT_EQ(Bgr(out), (std::vector<uint8_t>{0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00}));
}

TEST(PixelFormat, UnreadableLayoutsAreRefused) {
    std::vector<uint8_t> data(16, 0);
    PixelGrid out;
    ScreenPixelFormat indexed;
    indexed.bitsPerPixel = 8;
    EXPECT_FALSE(ConvertScreenRows(data.data(), 4, 1, 1, indexed, out));
    ScreenPixelFormat noMasks;
    noMasks.redMask = noMasks.greenMask = noMasks.blueMask = 0;
    EXPECT_FALSE(ConvertScreenRows(data.data(), 4, 1, 1, noMasks, out));
}

} // namespace
