// Tests of the X11 screen on a private Xvfb: the size, captures through shared memory and through plain
// requests that give exactly the picture set as the root background, windows included, and single pixels.
#include "../region_capture_check.h"
#include "x11_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

// Xlib comes last: its macros (None, Bool, Status) clash with names in the headers above.
#include "screen_test_support.h"

using namespace screen_test;

namespace {

class ScreenCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display";
        width = DisplayWidth(display, DefaultScreen(display));
        height = DisplayHeight(display, DefaultScreen(display));
        picture = Flat(width, height, 0);
        std::mt19937 rng(99);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) SetRgb(picture, x, y, rng() & 0xFFFFFF);
        SetRootBackground(display, picture);
    }
    void TearDown() override {
        if (display != nullptr) XCloseDisplay(display);
    }
    Display* display = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    PixelGrid picture;
};

TEST_F(ScreenCapture, BothWaysGiveExactlyWhatTheScreenShows) {
    X11Screen screen(display);
    int32_t w = 0;
    int32_t h = 0;
    screen.Size(w, h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);

    PixelGrid shared;
    ASSERT_EQ(screen.Capture(shared), 0);
    EXPECT_TRUE(screen.LastCaptureShared());
    EXPECT_EQ(shared.width, width);
    EXPECT_EQ(shared.height, height);
    EXPECT_TRUE(shared.bgra == picture.bgra);

    // A second capture reuses the shared image and sees a change made in between.
    SetRgb(picture, 5, 6, 0xABCDEF);
    SetRootBackground(display, picture);
    ASSERT_EQ(screen.Capture(shared), 0);
    EXPECT_EQ(RgbAt(shared, 5, 6), 0xABCDEFu);

    screen.UseSharedMemory(false);
    PixelGrid plain;
    ASSERT_EQ(screen.Capture(plain), 0);
    EXPECT_FALSE(screen.LastCaptureShared());
    EXPECT_TRUE(plain.bgra == picture.bgra);
}

TEST_F(ScreenCapture, WindowsAreIncluded) {
    Window cover = ShowCover(display, 10, 20, 30, 15, 0x00FF00);
    X11Screen screen(display);
    PixelGrid shot;
    ASSERT_EQ(screen.Capture(shot), 0);
    EXPECT_EQ(RgbAt(shot, 10, 20), 0x00FF00u);
    EXPECT_EQ(RgbAt(shot, 39, 34), 0x00FF00u);
    EXPECT_EQ(RgbAt(shot, 40, 34), RgbAt(picture, 40, 34));
    EXPECT_EQ(RgbAt(shot, 9, 20), RgbAt(picture, 9, 20));
    EXPECT_EQ(screen.ReadPixel(12, 22), 0x00FF00);
    XDestroyWindow(display, cover);
    XSync(display, False);
    ASSERT_EQ(screen.Capture(shot), 0);
    EXPECT_TRUE(shot.bgra == picture.bgra);
}

// The region capture of the editor's aids: exactly the pixels of a whole capture at those places (so FINDIMG
// finds a saved region), windows included, black where the rectangle leaves the screen.
TEST_F(ScreenCapture, RegionsAreTheWholeCaptureCutOutAndBlackOutsideTheScreen) {
    Window cover = ShowCover(display, 50, 40, 20, 10, 0x00FF00);
    X11Screen screen(display);
    PixelGrid whole;
    ASSERT_EQ(screen.Capture(whole), 0);
    struct Region {
        int32_t left, top, width, height;
    };
    const Region regions[] = {{45, 35, 15, 15},
                              {0, 0, width, height},
                              {-7, -3, 15, 15},
                              {width - 8, height - 4, 15, 15},
                              {-10, -10, width + 20, height + 20},
                              {width + 5, 0, 3, 3}};
    for (const Region& r : regions) {
        PixelGrid region;
        ASSERT_EQ(screen.CaptureRegion(r.left, r.top, r.width, r.height, region), 0)
            << r.left << "," << r.top;
        ASSERT_EQ(region.width, r.width);
        ASSERT_EQ(region.height, r.height);
        ASSERT_EQ(region.bgra.size(), static_cast<size_t>(r.width) * r.height * 4);
        const int mismatches = RegionMismatches(whole, region, r.left, r.top);
        EXPECT_EQ(mismatches, 0) << r.left << "," << r.top << " " << r.width << "x" << r.height;
    }
    PixelGrid cell;
    ASSERT_EQ(screen.CaptureRegion(55, 45, 1, 1, cell), 0);
    EXPECT_EQ(RgbAt(cell, 0, 0), 0x00FF00u);
    XDestroyWindow(display, cover);
    XSync(display, False);

    // Empty, negative and absurdly large rectangles are refused and leave the grid alone.
    PixelGrid untouched = Flat(2, 2, 0x123456);
    for (const Region& r :
         {Region{0, 0, 0, 10}, Region{0, 0, 10, 0}, Region{5, 5, -3, 4}, Region{0, 0, width * 3, height * 3},
          Region{0, 0, 100000, 100000}, Region{0, 0, INT32_MAX, 2}}) {
        EXPECT_EQ(screen.CaptureRegion(r.left, r.top, r.width, r.height, untouched), 5)
            << r.width << "x" << r.height;
        EXPECT_EQ(untouched.width, 2);
    }
}

TEST_F(ScreenCapture, SinglePixelsInThePlatformLayout) {
    SetRgb(picture, 0, 0, 0x123456);
    SetRgb(picture, width - 1, height - 1, 0xFF0000);
    SetRootBackground(display, picture);
    X11Screen screen(display);
    EXPECT_EQ(screen.ReadPixel(0, 0), 0x563412); // blue in the high byte, red in the low one
    EXPECT_EQ(screen.ReadPixel(width - 1, height - 1), 0x0000FF);
    EXPECT_EQ(screen.ReadPixel(7, 3),
              static_cast<int32_t>(((RgbAt(picture, 7, 3) & 0xFF) << 16) | (RgbAt(picture, 7, 3) & 0xFF00) |
                                   ((RgbAt(picture, 7, 3) >> 16) & 0xFF)));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {width, 0}, {0, height}, {100000, 100000}})
        EXPECT_EQ(screen.ReadPixel(x, y), -1) << x << "," << y;
}

} // namespace
