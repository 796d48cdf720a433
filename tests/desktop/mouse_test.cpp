// Desktop tests of MUS and MUSORG on X11: relative motion is exact even with pointer acceleration set,
// the absolute space maps onto the screen's pixels, buttons arrive at the pointer's exact position, and
// after SETWIN every MUS starts at the window origin.
#include "desktop_platform_factory.h"
#include "desktop_test_support.h"

#include <memory>

using namespace desktop_testing;

namespace {

// Pointer positions after each expression.
std::pair<int, int> After(DesktopMacro& macro, Probe& probe, const std::string& expression) {
    EXPECT_EQ(macro.Eval(expression), "0") << expression;
    return probe.Pointer();
}

using Point = std::pair<int, int>;

} // namespace

TEST(Mouse, RelativeMotionIsExactPixels) {
    // A strong acceleration would multiply any motion the server treats as relative.
    Shell("xset m 10/1 1");
    DesktopMacro macro;
    Probe probe;
    ASSERT_EQ(macro.Eval("MUSORG(1)"), "0");
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 32768, 32768)"), Point(640, 512));
    EXPECT_EQ(macro.Eval("MUSORG(0)"), "0");
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 7, -3)"), Point(647, 509));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 1, 1)"), Point(648, 510));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, -100, 250)"), Point(548, 760));
    // Motion past the edge stops at the edge.
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, -5000, -5000)"), Point(0, 0));
    Shell("xset m default");
}

TEST(Mouse, AbsoluteSpaceCoversTheScreen) {
    DesktopMacro macro;
    Probe probe;
    ASSERT_EQ(macro.Eval("MUSORG(1)"), "0");
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 0, 0)"), Point(0, 0));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 65535, 65535)"), Point(1279, 1023));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 16384, 49152)"), Point(320, 768));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 99999, -7)"), Point(1279, 0));
}

// The editor's pointer pick reads the position through the platform, in the pixels MUS and SETWIN use.
TEST(Mouse, PointerPositionReadsWhereThePointerWasPlaced) {
    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    Probe probe;
    for (const Point& target : {Point(123, 456), Point(0, 0), Point(1279, 1023)}) {
        desktop->SetPointerPosition(target.first, target.second);
        int32_t x = -1;
        int32_t y = -1;
        ASSERT_TRUE(desktop->PointerPosition(x, y));
        EXPECT_EQ(Point(x, y), target);
        EXPECT_EQ(probe.Pointer(), target);
    }
}

TEST(Mouse, ButtonsArriveWhereThePointerIs) {
    Recorder recorder("QmRecorder", "buttons", 400, 300);
    ASSERT_NE(recorder.Window(), 0u);
    const Frame frame = FrameOf(recorder.Window());
    DesktopMacro macro;
    // The recorder's client area starts below its title bar; aim well inside it.
    const int x = frame.left + 100;
    const int y = frame.top + 100;
    ASSERT_EQ(macro.Run({"MUSORG 1",
                         "MUS MOVE, " + std::to_string(x * 65536 / 1280 + 1) + ", " +
                             std::to_string(y * 65536 / 1024 + 1),
                         "MUSORG 0"}),
              0)
        << macro.Info();
    // The window manager holds button events under its click-to-focus grab until it lets them go; each
    // step waits for its events, so the positions are those of the events and not of later motion.
    const std::vector<std::pair<std::string, size_t>> steps = {{"MUS(LEFTPRESS, 3, 4)", 2},
                                                               {"MUS(RIGHTPRESS, 0, 0)", 4},
                                                               {"MUS(MIDDLEPRESS, 0, 0)", 6},
                                                               {"MUS(LEFTDOWN, 10, 0)", 7},
                                                               {"MUS(LEFTUP, 0, 5)", 8}};
    for (const auto& [step, count] : steps) {
        ASSERT_EQ(macro.Eval(step), "0") << step;
        ASSERT_TRUE(recorder.WaitForEvents("button", count)) << step;
    }
    const std::string at = std::to_string(x + 3) + " " + std::to_string(y + 4);
    const std::string later = std::to_string(x + 13) + " " + std::to_string(y + 4);
    const std::string last = std::to_string(x + 13) + " " + std::to_string(y + 9);
    EXPECT_EQ(
        recorder.Events("button"),
        (std::vector<std::string>{"button press 1 " + at, "button release 1 " + at, "button press 3 " + at,
                                  "button release 3 " + at, "button press 2 " + at, "button release 2 " + at,
                                  "button press 1 " + later, "button release 1 " + last}));
}

TEST(Mouse, AfterSetWinEveryMoveStartsAtTheOrigin) {
    Recorder recorder("QmOrigin", "origin", 300, 200);
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    Probe probe;
    ASSERT_EQ(
        macro.Run({"DIM w", "w = GETWINID(\"QmOrigin\")", "PRINT SETWIN(w, 100, 50)", "MUS MOVE, 0, 0"}), 0)
        << macro.Info();
    EXPECT_EQ(macro.printed, std::vector<std::string>{"1"});
    EXPECT_EQ(probe.Pointer(), Point(100, 50));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 5, 5)"), Point(105, 55));
    EXPECT_EQ(After(macro, probe, "MUS(MOVE, 5, 5)"), Point(105, 55));
}
