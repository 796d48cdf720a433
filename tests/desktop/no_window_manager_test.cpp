// Desktop tests of the window functions on a display without a window manager: top-level windows are found
// in the window tree, SETWIN places the window itself, and commands that need a window manager return
// without waiting for one.
#include "desktop_test_support.h"

using namespace desktop_testing;

TEST(NoWindowManager, WindowsAreFoundAndPlacedDirectly) {
    ASSERT_EQ(Shell("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id"), std::string::npos);
    Recorder recorder("QmBare", "bare window", 200, 100);
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    const std::string w = std::to_string(recorder.Window());
    EXPECT_EQ(macro.Eval("GETWINID(\"QmBare\")"), w);
    EXPECT_EQ(macro.Eval("GETWINID(\"QmBare\", \"bare window\")"), w);
    EXPECT_EQ(macro.Eval("GETWINID(\"QmBare\", \"other\")"), "0");
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 30, 40, 250, 120)"), "");
    Frame frame = FrameOf(recorder.Window());
    EXPECT_EQ(frame.left, 30);
    EXPECT_EQ(frame.top, 40);
    EXPECT_EQ(frame.width, 250);
    EXPECT_EQ(frame.height, 120);
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 5, 6)"), "1");
    frame = FrameOf(recorder.Window());
    EXPECT_EQ(frame.left, 5);
    EXPECT_EQ(frame.width, 250);
    // Nobody is there to maximise or iconify; the calls still answer 0 and return.
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", MAX)"), "0");
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", MIN)"), "0");
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", &HF060)"), "0");
    EXPECT_TRUE(recorder.WaitForEvents("closed", 1));
}
