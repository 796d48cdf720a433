// Desktop tests of the window at a screen pixel on X11 with openbox: an xterm and our own client described
// with the names GETWINID matches and the frame xwininfo and xprop show, the topmost of two overlapping
// windows, a window looked through, menus passed over, a maximised window and the bare background.
#include "desktop_test_support.h"

using namespace desktop_testing;

namespace {

unsigned long WindowOfClass(DesktopMacro& macro, const std::string& className) {
    const std::string expression = "GETWINID(\"" + className + "\")";
    if (!WaitUntil([&] { return macro.Eval(expression) != "0"; })) return 0;
    const unsigned long id = std::stoul(macro.Eval(expression));
    WaitUntil([&] { return WmState(id) == "Normal"; });
    return id;
}

// The window at the pixel, or 0 when none is reported.
int32_t WindowAt(DesktopPlatform& desktop, int x, int y, int32_t lookedThrough = 0) {
    WindowDescription found;
    return desktop.TopLevelWindowAtExcept(x, y, lookedThrough, found) ? found.window : 0;
}

struct Expected {
    unsigned long id;
    std::string className;
    std::string instance;
    std::string title;
};

// At the frame's two outer corners and in the middle of the client the description is the same, and GETWINID
// finds the window again with the names it gives.
void ExpectDescribedEverywhere(DesktopMacro& macro, const Expected& expected) {
    const Frame frame = FrameOf(expected.id);
    const std::pair<int, int> points[] = {{frame.left, frame.top},
                                          {frame.left + frame.width - 1, frame.top + frame.height - 1},
                                          {frame.left + frame.width / 2, frame.top + frame.height / 2}};
    for (const auto& [x, y] : points) {
        WindowDescription found;
        ASSERT_TRUE(macro.Desktop().TopLevelWindowAt(x, y, found)) << x << "," << y;
        EXPECT_EQ(found.window, static_cast<int32_t>(expected.id)) << x << "," << y;
        EXPECT_EQ(ToUtf8(found.className), expected.className);
        EXPECT_EQ(ToUtf8(found.instanceName), expected.instance);
        EXPECT_EQ(ToUtf8(found.title), expected.title);
        EXPECT_EQ(found.placement.showState, 1);
        EXPECT_EQ(found.placement.left, frame.left);
        EXPECT_EQ(found.placement.top, frame.top);
        EXPECT_EQ(found.placement.right, frame.left + frame.width);
        EXPECT_EQ(found.placement.bottom, frame.top + frame.height);
        const std::string id = std::to_string(expected.id);
        EXPECT_EQ(
            macro.Eval("GETWINID(\"" + ToUtf8(found.className) + "\", \"" + ToUtf8(found.title) + "\")"), id);
        EXPECT_EQ(macro.Eval("GETWINID(\"" + ToUtf8(found.instanceName) + "\")"), id);
    }
    // Just outside the frame it is not this window any more.
    EXPECT_NE(WindowAt(macro.Desktop(), frame.left - 1, frame.top), static_cast<int32_t>(expected.id));
    EXPECT_NE(WindowAt(macro.Desktop(), frame.left, frame.top + frame.height),
              static_cast<int32_t>(expected.id));
}

} // namespace

TEST(WindowAtPoint, DescribesATerminalAndOurClientWithWhatGetWinIdMatches) {
    TerminalWindow terminal("QmPointTerm", "point target");
    Recorder recorder("QmPointRecorder", "記録の窓", 300, 200);
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    const unsigned long terminalId = WindowOfClass(macro, "QmPointTerm");
    ASSERT_NE(terminalId, 0u);
    ASSERT_EQ(macro.Eval("SETWIN(" + std::to_string(terminalId) + ", 40, 30)"), "1");
    ASSERT_EQ(macro.Eval("SETWIN(" + std::to_string(recorder.Window()) + ", 600, 400)"), "1");
    ExpectDescribedEverywhere(macro, {terminalId, "QmPointTerm", "xterm", "point target"});
    ExpectDescribedEverywhere(macro,
                              {recorder.Window(), "QmPointRecorder", "QmPointRecorder-instance", "記録の窓"});
    // The bare background is no window.
    WindowDescription none;
    EXPECT_FALSE(macro.Desktop().TopLevelWindowAt(1200, 1000, none));
}

TEST(WindowAtPoint, TheTopmostWinsMenusArePassedOverAndAWindowCanBeLookedThrough) {
    Recorder lower("QmLower", "lower", 300, 200);
    Recorder upper("QmUpper", "upper", 300, 200);
    ASSERT_NE(lower.Window(), 0u);
    ASSERT_NE(upper.Window(), 0u);
    DesktopMacro macro;
    DesktopPlatform& desktop = macro.Desktop();
    const int32_t lowerId = static_cast<int32_t>(lower.Window());
    const int32_t upperId = static_cast<int32_t>(upper.Window());
    ASSERT_EQ(macro.Eval("SETWIN(" + std::to_string(lowerId) + ", 100, 100)"), "1");
    ASSERT_EQ(macro.Eval("SETWIN(" + std::to_string(upperId) + ", 150, 150)"), "1");
    Shell("xdotool windowraise " + std::to_string(upperId));
    EXPECT_TRUE(WaitUntil([&] { return WindowAt(desktop, 200, 200) == upperId; }));
    EXPECT_EQ(WindowAt(desktop, 120, 120), lowerId);
    EXPECT_EQ(WindowAt(desktop, 200, 200, upperId), lowerId);
    EXPECT_EQ(WindowAt(desktop, 200, 200, lowerId), upperId);
    Shell("xdotool windowraise " + std::to_string(lowerId));
    EXPECT_TRUE(WaitUntil([&] { return WindowAt(desktop, 200, 200) == lowerId; }));

    // A window the window manager does not manage (a menu, a tooltip) is no window GETWINID could give.
    Probe probe;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0x336699;
    const Window menu =
        XCreateWindow(probe.Get(), DefaultRootWindow(probe.Get()), 180, 180, 50, 50, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(probe.Get(), menu);
    XSync(probe.Get(), False);
    EXPECT_EQ(WindowAt(desktop, 200, 200), lowerId);
    XDestroyWindow(probe.Get(), menu);
    XSync(probe.Get(), False);

    // Maximised, the window covers the screen and says so.
    ASSERT_EQ(macro.Eval("CTRLWIN(" + std::to_string(upperId) + ", MAX)"), "0");
    // The window manager changes the frame in steps (state, then geometry, then its extents): the reading
    // is compared once the window says it is maximised and its frame has stopped changing.
    WindowDescription found;
    Frame frame;
    ASSERT_TRUE(WaitUntil([&] {
        frame = FrameOf(upper.Window());
        return desktop.TopLevelWindowAt(1000, 900, found) && found.window == upperId &&
               found.placement.showState == 3 && found.placement.left == frame.left &&
               found.placement.right == frame.left + frame.width;
    }));
    EXPECT_EQ(found.placement.showState, 3);
    EXPECT_EQ(found.placement.left, frame.left);
    EXPECT_EQ(found.placement.top, frame.top);
    EXPECT_EQ(found.placement.right, frame.left + frame.width);
    EXPECT_EQ(found.placement.bottom, frame.top + frame.height);
}
