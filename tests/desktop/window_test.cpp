// Desktop tests of GETWINID, SETWIN and CTRLWIN on X11 with openbox: the search by class and title, moving
// and sizing the outer frame, maximise, minimise, restore and close, each checked through xwininfo and xprop,
// and with a real xterm as well as our own client.
#include "desktop_test_support.h"

using namespace desktop_testing;

namespace {

unsigned long FindWithXdotool(const std::string& className) {
    const std::string out = Shell("xdotool search --class '^" + className + "$' 2>/dev/null | head -1");
    return out.empty() ? 0 : std::stoul(out);
}

} // namespace

TEST(Windows, GetWinIdFindsClientWindowsByClassAndTitle) {
    TerminalWindow terminal("QmTerm", "qm target");
    Recorder recorder("QmRecorder", "日本語のタイトル");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    ASSERT_TRUE(WaitUntil([&] { return macro.Eval("GETWINID(\"QmTerm\")") != "0"; }));
    unsigned long terminalId = 0;
    ASSERT_TRUE(WaitUntil([&] { return (terminalId = FindWithXdotool("QmTerm")) != 0; }));
    EXPECT_EQ(macro.Eval("GETWINID(\"QmTerm\")"), std::to_string(terminalId));
    EXPECT_EQ(macro.Eval("GETWINID(\"QmTerm\", \"qm target\")"), std::to_string(terminalId));
    // The instance part of WM_CLASS matches too (xterm keeps "xterm" as its instance).
    EXPECT_EQ(macro.Eval("GETWINID(\"xterm\", \"qm target\")"), std::to_string(terminalId));
    EXPECT_EQ(macro.Eval("GETWINID(\"QmTerm\", \"qm\")"), "0");
    EXPECT_EQ(macro.Eval("GETWINID(\"qmterm\")"), "0");
    EXPECT_EQ(macro.Eval("GETWINID(\"QmTer\")"), "0");
    EXPECT_EQ(macro.Eval("GETWINID(\"\")"), "0");
    // A UTF-8 title, and the recorder's own instance name.
    EXPECT_EQ(macro.Eval("GETWINID(\"QmRecorder\", \"日本語のタイトル\")"),
              std::to_string(recorder.Window()));
    EXPECT_EQ(macro.Eval("GETWINID(\"QmRecorder-instance\")"), std::to_string(recorder.Window()));
    EXPECT_EQ(macro.Eval("GETWINID(\"NoSuchClass\")"), "0");
}

TEST(Windows, SetWinMovesTheOuterFrameAndKeepsTheSize) {
    TerminalWindow terminal("QmMoveTerm", "move me");
    DesktopMacro macro;
    ASSERT_TRUE(WaitUntil([&] { return macro.Eval("GETWINID(\"QmMoveTerm\")") != "0"; }));
    const unsigned long id = std::stoul(macro.Eval("GETWINID(\"QmMoveTerm\")"));
    ASSERT_TRUE(WaitUntil([&] { return WmState(id) == "Normal"; }));
    const Frame before = FrameOf(id);
    ASSERT_EQ(macro.Run({"DIM w", "w = " + std::to_string(id), "PRINT SETWIN(w, 100, 50)"}), 0)
        << macro.Info();
    EXPECT_EQ(macro.printed, std::vector<std::string>{"1"});
    const Frame after = FrameOf(id);
    EXPECT_EQ(after.left, 100);
    EXPECT_EQ(after.top, 50);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.height, before.height);
    // SETWIN(w) leaves the window where it is and makes its corner the origin.
    Probe probe;
    ASSERT_EQ(macro.Run({"DIM w", "w = " + std::to_string(id), "PRINT SETWIN(w)", "MUS MOVE, 2, 3"}), 0);
    EXPECT_EQ(macro.printed.back(), "1");
    EXPECT_EQ(FrameOf(id).left, 100);
    EXPECT_EQ(probe.Pointer(), std::make_pair(102, 53));
}

TEST(Windows, SetWinSizesOurOwnClientExactly) {
    Recorder recorder("QmSized", "sized");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    const std::string w = std::to_string(recorder.Window());
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 20, 30, 640, 480)"), "");
    const Frame frame = FrameOf(recorder.Window());
    EXPECT_EQ(frame.left, 20);
    EXPECT_EQ(frame.top, 30);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
}

TEST(Windows, CtrlWinMaximisesMinimisesAndRestores) {
    TerminalWindow terminal("QmStateTerm", "states");
    DesktopMacro macro;
    ASSERT_TRUE(WaitUntil([&] { return macro.Eval("GETWINID(\"QmStateTerm\")") != "0"; }));
    const unsigned long id = std::stoul(macro.Eval("GETWINID(\"QmStateTerm\")"));
    const std::string w = std::to_string(id);
    ASSERT_TRUE(WaitUntil([&] { return WmState(id) == "Normal"; }));

    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", MAX)"), "0");
    EXPECT_TRUE(IsMaximised(id));
    // A maximised window is not moved by SETWIN, which answers 0.
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 300, 300)"), "0");
    EXPECT_TRUE(IsMaximised(id));

    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", MIN)"), "0");
    EXPECT_EQ(WmState(id), "Iconic");
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ")"), "0");

    // Moving and sizing a minimised window shows it again.
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 10, 20, 500, 300)"), "");
    EXPECT_EQ(WmState(id), "Normal");
    EXPECT_EQ(FrameOf(id).left, 10);
    EXPECT_EQ(FrameOf(id).top, 20);
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", MIN)"), "0");
    EXPECT_EQ(WmState(id), "Iconic");

    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", NORMAL)"), "0");
    EXPECT_EQ(WmState(id), "Normal");
    EXPECT_FALSE(IsMaximised(id));
    // Right after the restore the window can be moved again.
    EXPECT_EQ(macro.Eval("SETWIN(" + w + ", 60, 70)"), "1");
    EXPECT_EQ(FrameOf(id).left, 60);
    EXPECT_EQ(FrameOf(id).top, 70);

    // Any other command does nothing.
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ", 12345)"), "0");
    EXPECT_EQ(WmState(id), "Normal");
    EXPECT_EQ(macro.Eval("CTRLWIN(" + w + ")"), "error 7: 引数の数があいません");
}

TEST(Windows, CloseAsksTheApplicationPolitely) {
    Recorder recorder("QmClose", "close me");
    ASSERT_NE(recorder.Window(), 0u);
    DesktopMacro macro;
    EXPECT_EQ(macro.Eval("CTRLWIN(" + std::to_string(recorder.Window()) + ", &HF060)"), "0");
    EXPECT_TRUE(recorder.WaitForEvents("closed", 1));
    EXPECT_TRUE(recorder.Process().waitForFinished(10000));
}

TEST(Windows, HandlesThatNameNoWindowDoNothing) {
    DesktopMacro macro;
    EXPECT_EQ(macro.Eval("CTRLWIN(12345, MAX)"), "0");
    EXPECT_EQ(macro.Eval("SETWIN(12345, 1, 2)"), "");
    EXPECT_EQ(macro.Eval("SETWIN(-5)"), "");
    EXPECT_EQ(macro.Eval("CTRLWIN(0, MIN)"), "0");
}
