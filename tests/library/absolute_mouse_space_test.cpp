// Tests of the conversions between MUS's absolute positions and pixels over the primary monitor: every pixel
// of a multi-monitor screen, on the primary monitor or beside it, comes back from its position; the ends of
// the space; no overflow at the extremes.
#include "absolute_mouse_space.h"

#include <gtest/gtest.h>

#include <limits>

TEST(AbsoluteMouseSpace, EveryPixelComesBackFromItsPositionOnAnyMonitor) {
    // Monitors of common sizes at the screen's corner, right of another and left of the screen's origin.
    for (const int32_t extent : {1, 2, 3, 600, 768, 1024, 1080, 1280, 1366, 1920, 2560, 3840, 7680}) {
        for (const int32_t origin : {0, 1280, -1920}) {
            int32_t previous = std::numeric_limits<int32_t>::min();
            for (int32_t pixel = origin - 3 * extent - 5; pixel < origin + 4 * extent + 5; ++pixel) {
                const int32_t position = AbsolutePositionOfPixel(pixel, origin, extent);
                ASSERT_EQ(PixelOfAbsolutePosition(position, origin, extent), pixel)
                    << "pixel " << pixel << " of a monitor at " << origin << " with " << extent << " pixels";
                // Each pixel its own position, in the pixels' order, and on the monitor inside 0..65535.
                ASSERT_GT(position, previous) << pixel;
                previous = position;
                const bool onMonitor = pixel >= origin && pixel < origin + extent;
                ASSERT_EQ(onMonitor, position >= 0 && position <= 65535) << pixel << " -> " << position;
            }
        }
    }
}

TEST(AbsoluteMouseSpace, TheEndsOfTheSpaceAreTheMonitorsEdges) {
    // The primary monitor on the right of a 1280-pixel one, 1920 pixels wide.
    EXPECT_EQ(PixelOfAbsolutePosition(0, 1280, 1920), 1280);
    EXPECT_EQ(PixelOfAbsolutePosition(65535, 1280, 1920), 3199);
    EXPECT_EQ(PixelOfAbsolutePosition(32768, 1280, 1920), 2240);
    EXPECT_EQ(PixelOfAbsolutePosition(65536, 1280, 1920), 3200);
    EXPECT_EQ(PixelOfAbsolutePosition(-1, 1280, 1920), 1279);
    EXPECT_EQ(AbsolutePositionOfPixel(1280, 1280, 1920), 0);
    EXPECT_EQ(AbsolutePositionOfPixel(3199, 1280, 1920), 65535);
    // Recorded at (2000, 500) with that layout, the position replays at (2000, 500).
    EXPECT_EQ(PixelOfAbsolutePosition(AbsolutePositionOfPixel(2000, 1280, 1920), 1280, 1920), 2000);
    EXPECT_EQ(PixelOfAbsolutePosition(AbsolutePositionOfPixel(500, 0, 1080), 0, 1080), 500);
}

TEST(AbsoluteMouseSpace, MonitorsWithoutPixelsAndExtremesDoNotOverflow) {
    EXPECT_EQ(AbsolutePositionOfPixel(10, 0, 0), 0);
    EXPECT_EQ(AbsolutePositionOfPixel(10, 0, -5), 0);
    EXPECT_EQ(PixelOfAbsolutePosition(30000, 7, 0), 7);
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(AbsolutePositionOfPixel(kMax, 0, 1), kMax);
    EXPECT_EQ(AbsolutePositionOfPixel(kMin, kMax, 1), kMin);
    EXPECT_EQ(PixelOfAbsolutePosition(kMax, kMax, 65536), kMax);
    EXPECT_EQ(PixelOfAbsolutePosition(kMin, kMin, 65536), kMin);
    EXPECT_EQ(PixelOfAbsolutePosition(kMin, 0, 1920), static_cast<int32_t>(int64_t{kMin} * 1920 / 65536));
}
