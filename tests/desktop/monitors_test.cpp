// Desktop tests on a screen of two RandR monitors, the primary one on the right (run-with-display.sh sets
// them up): MUS's absolute space over the primary monitor, reaching the left monitor with positions below 0,
// each position the editor's aids would write for a pixel coming back to that pixel; and GETCOLOR of a pixel
// that no monitor shows.
#include "absolute_mouse_space.h"
#include "desktop_test_support.h"

using namespace desktop_testing;

namespace {

using Point = std::pair<int, int>;

// The layout CMake asks run-with-display.sh for: "Left" 1280×1024 at (0, 0), "*Right" 1920×1080 at (1280, 0).
constexpr ScreenRect kPrimary{1280, 0, 1920, 1080};

} // namespace

TEST(Monitors, ThePrimaryMonitorIsTheOneRandRFlags) {
    DesktopMacro macro;
    ScreenRect primary;
    ASSERT_TRUE(macro.Desktop().PrimaryMonitor(primary));
    EXPECT_EQ(Point(primary.left, primary.top), Point(kPrimary.left, kPrimary.top));
    EXPECT_EQ(Point(primary.width, primary.height), Point(kPrimary.width, kPrimary.height));
    // The screen itself is still the whole of both.
    int32_t width = 0;
    int32_t height = 0;
    macro.Desktop().ScreenSize(width, height);
    EXPECT_EQ(Point(width, height), Point(3200, 1080));
}

TEST(Monitors, AbsolutePositionsSpanThePrimaryMonitorAndGoOnBeyondIt) {
    DesktopMacro macro;
    Probe probe;
    const std::pair<std::string, Point> moves[] = {
        {"0, 0", {1280, 0}},
        {"65535, 65535", {3199, 1079}},
        {"32768, 32768", {2240, 540}},
        {"-1, 0", {1279, 0}},
        {"-43690, 0", {0, 0}},
        {"-21845, 62000", {640, 1021}},
        // Past the screen's edge the pointer stops there.
        {"-99999, -99999", {0, 0}},
        {"99999, 99999", {3199, 1079}},
    };
    for (const auto& [where, pixel] : moves) {
        ASSERT_EQ(macro.Run({"MUSORG 1", "MUS MOVE, " + where}), 0) << macro.Info();
        EXPECT_EQ(probe.Pointer(), pixel) << where;
    }
}

// The editor's aids (quick-input dialog, recorder, window information) write a pixel as the position
// AbsolutePositionOfPixel gives over the platform's primary monitor; MUS must bring the pointer back there,
// on either monitor.
TEST(Monitors, PositionsWrittenForAPixelReplayAtThatPixel) {
    DesktopMacro macro;
    Probe probe;
    ScreenRect primary;
    ASSERT_TRUE(macro.Desktop().PrimaryMonitor(primary));
    const Point pixels[] = {{2000, 500},  {500, 300}, {0, 0},       {1279, 1023}, {1280, 0},
                            {3199, 1079}, {1281, 1},  {1278, 1000}, {2560, 1079}, {7, 1023}};
    for (const Point& pixel : pixels) {
        const int32_t x = AbsolutePositionOfPixel(pixel.first, primary.left, primary.width);
        const int32_t y = AbsolutePositionOfPixel(pixel.second, primary.top, primary.height);
        // On the left monitor the position lies left of the absolute space.
        EXPECT_EQ(x < 0, pixel.first < kPrimary.left) << x;
        ASSERT_EQ(macro.Run({"MUSORG 1", "MUS MOVE, " + std::to_string(x) + ", " + std::to_string(y)}), 0)
            << macro.Info();
        EXPECT_EQ(probe.Pointer(), pixel) << x << "," << y;
    }
}

TEST(Monitors, GetColorIsMinusOneWhereNoMonitorShowsThePixel) {
    // The root painted one colour: 0x123456 as red 0x12, green 0x34, blue 0x56 reads as 0x563412.
    Shell("xsetroot -solid '#123456'");
    DesktopMacro macro;
    const std::string colour = std::to_string(0x563412);
    // On the left monitor, on its last row, and on the taller right monitor beside the strip below it.
    EXPECT_EQ(macro.Eval("GETCOLOR(100, 100)"), colour);
    EXPECT_EQ(macro.Eval("GETCOLOR(1279, 1023)"), colour);
    EXPECT_EQ(macro.Eval("GETCOLOR(1280, 1079)"), colour);
    // The strip below the left monitor: inside the screen, on no monitor.
    for (const char* where : {"100, 1050", "1279, 1024", "0, 1079"}) {
        EXPECT_EQ(macro.Eval(std::string("GETCOLOR(") + where + ")"), "-1") << where;
        EXPECT_EQ(macro.Eval("IMG_R()"), "255");
        EXPECT_EQ(macro.Eval("IMG_G()"), "255");
        EXPECT_EQ(macro.Eval("IMG_B()"), "255");
    }
    // Outside the screen, as before.
    EXPECT_EQ(macro.Eval("GETCOLOR(3200, 0)"), "-1");
    EXPECT_EQ(macro.Eval("GETCOLOR(-1, 5)"), "-1");
    EXPECT_EQ(macro.Eval("GETCOLOR(5, 1080)"), "-1");
}
