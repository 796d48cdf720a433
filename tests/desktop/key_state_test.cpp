// Desktop tests of GETKEYSTATE on X11 against keys and buttons pressed by another client (xdotool) while a
// third client has the focus: "down now" and "pressed since the previous query", one report per press.
#include "desktop_test_support.h"

#include <X11/keysym.h>

using namespace desktop_testing;

TEST(KeyState, PressOfAnotherClientIsReportedOnce) {
    Recorder recorder("QmFocus", "focus");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_A)"), "0");
    Shell("xdotool keydown a");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_A)"), "1");
    // Still held, but already reported.
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_A)"), "0");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(65), 0x8000);
    Shell("xdotool keyup a");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(65), 0);
    // A press and release between two queries is seen as "pressed since", though the key is up again.
    Shell("xdotool key b");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(66), 0x0001);
    EXPECT_EQ(macro.Desktop().AsyncKeyState(66), 0);
    Shell("xdotool key b");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_B)"), "0");
    // The other keys were not touched.
    EXPECT_EQ(macro.Desktop().AsyncKeyState(67), 0);
}

TEST(KeyState, EitherShiftCountsAsShiftAndKeypadDigitsAreTheirKeys) {
    DesktopMacro macro;
    Probe other;
    other.Key(XK_Shift_R, true);
    // Each code has its own "pressed since": asking for VK_SHIFT does not use up VK_RSHIFT's press.
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_SHIFT)"), "1");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_RSHIFT)"), "1");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(160), 0); // the left Shift is up
    other.Key(XK_Shift_R, false);
    Shell("xdotool keydown KP_4");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_NUMPAD4)"), "1");
    Shell("xdotool keyup KP_4");
}

TEST(KeyState, MouseButtons) {
    DesktopMacro macro;
    Shell("xdotool mousedown 1");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_LBUTTON)"), "1");
    EXPECT_EQ(macro.Eval("GETKEYSTATE(VK_LBUTTON)"), "0");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(1), 0x8000);
    Shell("xdotool mouseup 1");
    Shell("xdotool click 3");
    EXPECT_EQ(macro.Desktop().AsyncKeyState(2), 0x0001);
    EXPECT_EQ(macro.Desktop().AsyncKeyState(4), 0);
}

TEST(KeyState, OwnKeysAreSeenToo) {
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_Q, DOWN", "PRINT GETKEYSTATE(VK_Q)"}), 0);
    EXPECT_EQ(macro.printed, std::vector<std::string>{"1"});
    // The run's end let go of the key it held.
    EXPECT_EQ(macro.Desktop().AsyncKeyState(81) & 0x8000, 0);
}
