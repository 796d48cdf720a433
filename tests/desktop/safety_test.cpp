// Desktop tests of what a run leaves behind: keys and buttons a stopped or failed macro held are released
// (after an error, after SIGTERM of the program), a normal end leaves them as the macro left them, and
// without a display every desktop function fails at once with code 7.
#include "desktop_test_support.h"

#include <X11/keysym.h>

#include <csignal>

using namespace desktop_testing;

TEST(HeldInput, ErrorReleasesKeysAndButtonsNormalEndKeepsThem) {
    QTemporaryDir dir;
    Probe probe;
    const ProgramResult failed = RunProgram(WriteMacro(
        dir, "fail.qlx",
        {"KBD VK_LSHIFT, DOWN", "KBD VK_CONTROL, DOWN", "MUS LEFTDOWN, 0, 0", "x = MID(\"a\", 0)"}));
    EXPECT_EQ(failed.exitCode, 7) << failed.err;
    EXPECT_FALSE(probe.KeysymDown(XK_Shift_L));
    EXPECT_FALSE(probe.KeysymDown(XK_Control_L));
    EXPECT_EQ(probe.PointerMask() & Button1Mask, 0u);

    const ProgramResult normal =
        RunProgram(WriteMacro(dir, "keep.qlx", {"KBD VK_LSHIFT, DOWN", "MUS RIGHTDOWN, 0, 0"}));
    EXPECT_EQ(normal.exitCode, 0) << normal.err;
    EXPECT_TRUE(probe.KeysymDown(XK_Shift_L));
    EXPECT_NE(probe.PointerMask() & Button3Mask, 0u);
    Shell("xdotool keyup Shift_L mouseup 3");
}

TEST(HeldInput, SigtermReleasesWhatTheMacroHeld) {
    QTemporaryDir dir;
    Probe probe;
    const std::string path = WriteMacro(dir, "hold.qlx",
                                        {"KBD VK_SHIFT, DOWN", "KBD VK_RMENU, DOWN", "MUS LEFTDOWN, 0, 0",
                                         "PRINT \"held\"", "WHILE 1", "WEND"});
    QProcess program;
    program.start(QStringLiteral(QM_PROGRAM), {QString::fromStdString(path)});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] {
        program.waitForReadyRead(50);
        return program.peek(100).contains("held");
    }));
    EXPECT_TRUE(probe.KeysymDown(XK_Shift_L));
    EXPECT_TRUE(probe.KeysymDown(XK_Alt_R));
    EXPECT_NE(probe.PointerMask() & Button1Mask, 0u);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 100);
    EXPECT_FALSE(probe.KeysymDown(XK_Shift_L));
    EXPECT_FALSE(probe.KeysymDown(XK_Alt_R));
    EXPECT_EQ(probe.PointerMask() & Button1Mask, 0u);
}

TEST(NoDisplay, DesktopFunctionsFailAtOnceWithCodeSeven) {
    QTemporaryDir dir;
    const std::vector<std::string> calls = {"KBD VK_A",
                                            "MUS MOVE, 1, 1",
                                            "x = GETKEYSTATE(VK_A)",
                                            "x = GETWINID(\"a\")",
                                            "x = SETWIN(1, 2, 3)",
                                            "x = CTRLWIN(1, MAX)"};
    const std::vector<std::string> names = {"KBD", "MUS", "GETKEYSTATE", "GETWINID", "SETWIN", "CTRLWIN"};
    for (size_t i = 0; i < calls.size(); ++i) {
        const ProgramResult r =
            RunProgram(WriteMacro(dir, "nodisplay.qlx", {"DIM x", "MUSORG 1", calls[i]}), false);
        EXPECT_EQ(r.exitCode, 7) << calls[i];
        EXPECT_NE(r.err.find("画面が使用できないため、この関数は実行できません - " + names[i]),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("行=3"), std::string::npos) << r.err;
    }
}

TEST(NoDisplay, AnUnreachableDisplayCountsAsNone) {
    QTemporaryDir dir;
    const std::string path = WriteMacro(dir, "unreachable.qlx", {"PRINT \"start\"", "KBD VK_A, PRESS"});
    const ProgramResult r = RunProgram(path, false, QStringLiteral(":9876"));
    EXPECT_EQ(r.exitCode, 7);
    EXPECT_EQ(r.out, "start\n終了しました。\n");
    EXPECT_NE(r.err.find("画面が使用できないため、この関数は実行できません - KBD"), std::string::npos)
        << r.err;
}
