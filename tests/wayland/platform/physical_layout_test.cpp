// The desktop in physical pixels made of scaled outputs: where each output lands, and points, windows and
// sizes carried between desktop pixels and the compositor's layout.
#include "physical_layout.h"

#include <gtest/gtest.h>

namespace {

ScaledOutput Output(int32_t left, int32_t top, int32_t width, int32_t height, int32_t pixelWidth,
                    int32_t pixelHeight) {
    return ScaledOutput{ScreenRect{left, top, width, height}, pixelWidth, pixelHeight};
}

void ExpectRect(const ScreenRect& rect, int32_t left, int32_t top, int32_t width, int32_t height) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.width, width);
    EXPECT_EQ(rect.height, height);
}

} // namespace

TEST(PhysicalLayoutArrangement, OutputsTouchInPhysicalPixelsAsTheyTouchInTheLayout) {
    // Unscaled outputs keep the layout, moved to start at (0, 0).
    const PhysicalLayout plain({Output(-100, 50, 800, 600, 800, 600), Output(700, 50, 400, 300, 400, 300)});
    ExpectRect(plain.Desktop(), 0, 0, 1200, 600);
    ExpectRect(plain.DesktopRect(1), 800, 0, 400, 300);
    ExpectRect(plain.LayoutBox(), -100, 50, 1200, 600);

    // A 2560×1600 output at scale 2 (1280×800 in the layout) with a 1920×1080 one at scale 1.5 to its right
    // (logical 1280×720 at x 1280): the second starts where the first's pixels end.
    const PhysicalLayout mixed({Output(0, 0, 1280, 800, 2560, 1600), Output(1280, 0, 1280, 720, 1920, 1080)});
    ExpectRect(mixed.DesktopRect(0), 0, 0, 2560, 1600);
    ExpectRect(mixed.DesktopRect(1), 2560, 0, 1920, 1080);
    ExpectRect(mixed.Desktop(), 0, 0, 4480, 1600);

    // Stacked: the lower one starts below the upper one's pixels; a 2×2 grid of scale-2 outputs stays a grid.
    const PhysicalLayout stacked(
        {Output(0, 540, 1920, 1080, 1920, 1080), Output(0, 0, 960, 540, 1920, 1080)});
    ExpectRect(stacked.DesktopRect(0), 0, 1080, 1920, 1080);
    ExpectRect(stacked.DesktopRect(1), 0, 0, 1920, 1080);
    const PhysicalLayout grid({Output(0, 0, 500, 400, 1000, 800), Output(500, 0, 500, 400, 1000, 800),
                               Output(0, 400, 500, 400, 1000, 800), Output(500, 400, 500, 400, 1000, 800)});
    ExpectRect(grid.DesktopRect(3), 1000, 800, 1000, 800);
    ExpectRect(grid.Desktop(), 0, 0, 2000, 1600);

    // Nothing to show: an empty desktop, and no point converts.
    const PhysicalLayout none({Output(0, 0, 0, 0, 0, 0)});
    EXPECT_EQ(none.Count(), 0u);
    ExpectRect(none.Desktop(), 0, 0, 0, 0);
    double x = 0;
    double y = 0;
    EXPECT_FALSE(none.ToLayout(5, 5, x, y));
    EXPECT_EQ(none.OutputAtPixel(0, 0), -1);
}

TEST(PhysicalLayoutConversion, EveryPhysicalPixelIsReachedAndComesBack) {
    const PhysicalLayout mixed({Output(0, 0, 1280, 800, 2560, 1600), Output(1280, 0, 1280, 720, 1920, 1080)});
    double x = 0;
    double y = 0;
    // At scale 2 an odd pixel is half a layout pixel in; at 1.5 two thirds of one.
    ASSERT_TRUE(mixed.ToLayout(401, 301, x, y));
    EXPECT_DOUBLE_EQ(x, 200.5);
    EXPECT_DOUBLE_EQ(y, 150.5);
    ASSERT_TRUE(mixed.ToLayout(2560 + 1, 2, x, y));
    EXPECT_NEAR(x, 1280 + 1 / 1.5, 1e-9);
    EXPECT_NEAR(y, 2 / 1.5, 1e-9);
    // A pixel below the shorter output belongs to the nearest one, placed beyond its edge.
    EXPECT_EQ(mixed.OutputAtPixel(3000, 1500), 1);
    ASSERT_TRUE(mixed.ToLayout(3000, 1500, x, y));
    EXPECT_NEAR(y, 1000, 1e-9);

    // Each pixel's own corner leads back to it, across both outputs and both of 1.5's rounding phases.
    for (int32_t px = 0; px < 4480; px += 7) {
        const int32_t py = (px * 3) % 1080;
        ASSERT_TRUE(mixed.ToLayout(px, py, x, y));
        int32_t backX = -1;
        int32_t backY = -1;
        ASSERT_TRUE(mixed.ToDesktop(x, y, backX, backY));
        EXPECT_EQ(backX, px);
        EXPECT_EQ(backY, py);
    }
    EXPECT_DOUBLE_EQ(mixed.ScaleAt(10, 10), 2.0);
    EXPECT_DOUBLE_EQ(mixed.ScaleAt(4000, 10), 1.5);
}

TEST(PhysicalLayoutConversion, WindowsAndSizesFollowTheOutputTheyAreOn) {
    const PhysicalLayout mixed({Output(0, 0, 1280, 800, 2560, 1600), Output(1280, 0, 1280, 720, 1920, 1080)});
    ExpectRect(mixed.RectToDesktop(ScreenRect{100, 50, 400, 300}), 200, 100, 800, 600);
    ExpectRect(mixed.RectToDesktop(ScreenRect{1380, 20, 400, 300}), 2710, 30, 600, 450);
    // A window partly off the desktop keeps its size.
    ExpectRect(mixed.RectToDesktop(ScreenRect{-50, 10, 100, 100}), -100, 20, 200, 200);
    int32_t width = 0;
    int32_t height = 0;
    mixed.SizeToLayout(2710, 30, 600, 450, width, height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    mixed.SizeToLayout(200, 100, 801, 600, width, height);
    EXPECT_EQ(width, 401); // half a layout pixel rounds up
    EXPECT_EQ(height, 300);
}
