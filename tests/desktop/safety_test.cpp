// Desktop tests of what a run leaves behind: keys and buttons a macro held are released and lent keycodes are
// empty again however the run ends (normally, after an error, after a stop signal, killed outright), and
// without a display every desktop function fails at once with code 7.
#include "desktop_test_support.h"

#include <X11/keysym.h>

#include <csignal>

using namespace desktop_testing;

namespace {

// A keysym the test keyboard map lacks, so that its key goes through a lent keycode.
constexpr KeySym kAttnKeysym = 0xFD0E;

bool AnyKeyDown(Probe& probe) {
    XSync(probe.Get(), False);
    char keys[32];
    XQueryKeymap(probe.Get(), keys);
    for (char byte : keys)
        if (byte != 0) return true;
    return false;
}

std::string KeyboardMap() {
    return Shell("xmodmap -pke");
}

// A macro that holds Shift, Right Alt, a lent key and the left button, says so and then loops.
std::string WriteHoldingMacro(const QTemporaryDir& dir) {
    return WriteMacro(dir, "hold.qlx",
                      {"KBD VK_SHIFT, DOWN", "KBD VK_RMENU, DOWN", "KBD VK_ATTN, DOWN", "MUS LEFTDOWN, 0, 0",
                       "PRINT \"held\"", "WHILE 1", "WEND"});
}

// Starts the program on such a macro; returns once it has printed that it holds them.
void StartHolding(QProcess& program, const std::string& path) {
    program.start(QStringLiteral(QM_PROGRAM), {QString::fromStdString(path)});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] {
        program.waitForReadyRead(50);
        return program.peek(100).contains("held");
    }));
}

} // namespace

TEST(HeldInput, ErrorAndNormalEndBothReleaseKeysAndButtons) {
    QTemporaryDir dir;
    Probe probe;
    const std::string mapBefore = KeyboardMap();
    const ProgramResult failed = RunProgram(WriteMacro(
        dir, "fail.qlx",
        {"KBD VK_LSHIFT, DOWN", "KBD VK_CONTROL, DOWN", "MUS LEFTDOWN, 0, 0", "x = MID(\"a\", 0)"}));
    EXPECT_EQ(failed.exitCode, 7) << failed.err;
    EXPECT_FALSE(probe.KeysymDown(XK_Shift_L));
    EXPECT_FALSE(probe.KeysymDown(XK_Control_L));
    EXPECT_EQ(probe.PointerMask() & Button1Mask, 0u);

    // A key left down after the macro has ended would go on modifying the user's typing: a normal end lets
    // go too, and the lent keycode of a key the map lacks is empty again.
    const ProgramResult normal = RunProgram(
        WriteMacro(dir, "keep.qlx", {"KBD VK_LSHIFT, DOWN", "KBD VK_ATTN, DOWN", "MUS RIGHTDOWN, 0, 0"}));
    EXPECT_EQ(normal.exitCode, 0) << normal.err;
    EXPECT_FALSE(AnyKeyDown(probe));
    EXPECT_EQ(probe.PointerMask() & Button3Mask, 0u);
    EXPECT_EQ(KeyboardMap(), mapBefore);
}

TEST(HeldInput, EveryStopSignalReleasesWhatTheMacroHeld) {
    QTemporaryDir dir;
    Probe probe;
    const std::string mapBefore = KeyboardMap();
    const std::string path = WriteHoldingMacro(dir);
    // kill, a closed terminal, Ctrl+\\ and Ctrl+C; the second SIGTERM comes at once after the first, as an
    // impatient script sends it, and must not cut the release short.
    const std::vector<std::vector<int>> signalSets = {
        {SIGTERM}, {SIGHUP}, {SIGQUIT}, {SIGINT}, {SIGTERM, SIGTERM}};
    for (const std::vector<int>& sent : signalSets) {
        SCOPED_TRACE(::testing::Message()
                     << "first signal " << sent.front() << ", " << sent.size() << " in all");
        QProcess program;
        StartHolding(program, path);
        EXPECT_TRUE(probe.KeysymDown(XK_Shift_L));
        EXPECT_TRUE(probe.KeysymDown(XK_Alt_R));
        EXPECT_NE(probe.PointerMask() & Button1Mask, 0u);
        for (int number : sent) ::kill(static_cast<pid_t>(program.processId()), number);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 100);
        EXPECT_FALSE(AnyKeyDown(probe));
        EXPECT_EQ(probe.PointerMask() & Button1Mask, 0u);
        EXPECT_EQ(KeyboardMap(), mapBefore);
    }
}

// A run killed outright (kill -9) cannot let go of anything itself: its watchdog process does, once the
// run's process has gone. Before, Shift, Right Alt and the button stayed down on the server for good and the
// lent keycode stayed bound.
TEST(HeldInput, AKilledRunsWatchdogLetsGoOfWhatItHeld) {
    QTemporaryDir dir;
    Probe probe;
    const std::string mapBefore = KeyboardMap();
    const std::string path = WriteHoldingMacro(dir);
    QProcess program;
    StartHolding(program, path);
    EXPECT_TRUE(probe.KeysymDown(XK_Shift_L));
    EXPECT_NE(probe.PointerMask() & Button1Mask, 0u);
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_TRUE(WaitUntil([&] { return !AnyKeyDown(probe); }));
    EXPECT_TRUE(WaitUntil([&] { return (probe.PointerMask() & Button1Mask) == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return KeyboardMap() == mapBefore; }));
}

TEST(HeldInput, ALentKeycodeIsEmptyOnceTheRunIsOverWhileTheProgramGoesOn) {
    Probe probe;
    ASSERT_EQ(XKeysymToKeycode(probe.Get(), kAttnKeysym), 0) << "the test keyboard map has 3270_Attn";
    DesktopMacro macro;
    ASSERT_EQ(macro.Run({"KBD VK_ATTN, DOWN"}), 0);
    // The editor's platform lives on after the run: the key is up and its keycode has no symbol any more.
    EXPECT_FALSE(AnyKeyDown(probe));
    Probe after;
    EXPECT_EQ(XKeysymToKeycode(after.Get(), kAttnKeysym), 0);
    // A later run can lend a keycode again.
    ASSERT_EQ(macro.Run({"KBD VK_ATTN, PRESS", "PRINT GETKEYSTATE(VK_A)"}), 0);
    Probe last;
    EXPECT_EQ(XKeysymToKeycode(last.Get(), kAttnKeysym), 0);
}

TEST(NoDisplay, DesktopFunctionsFailAtOnceWithCodeSeven) {
    QTemporaryDir dir;
    const std::vector<std::string> calls = {"KBD VK_A",
                                            "MUS MOVE, 1, 1",
                                            "PRINT GETKEYSTATE(VK_A)",
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

// A Wayland session whose compositor cannot be reached, with no X display beside it, is no display either,
// whichever way the desktop is chosen.
TEST(NoDisplay, AnUnreachableWaylandDisplayCountsAsNone) {
    QTemporaryDir dir;
    const std::string path = WriteMacro(dir, "unreachable.qlx", {"PRINT \"start\"", "x = GETCOLOR(1, 1)"});
    for (const QString& choice : {QString(), QStringLiteral("wayland")}) {
        const ProgramResult r =
            RunProgram(path, false, {},
                       {{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("qm-no-such-socket")},
                        {QStringLiteral("QUILLONMACRO_DESKTOP"), choice}});
        EXPECT_EQ(r.exitCode, 7) << choice.toStdString();
        EXPECT_NE(r.err.find("画面が使用できないため、この関数は実行できません - GETCOLOR"),
                  std::string::npos)
            << r.err;
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
