// The wlroots session on a real headless sway (run by run-with-sway.sh): keys and the pointer as the GTK
// recorder receives them, GETCOLOR and FINDIMG on a known picture, the window functions on foot and the
// recorder observed through sway's tree, key state, and a run whose sway is killed.
#include "compositor_session.h"
#include "desktop_platform_factory.h"
#include "sway_test_support.h"

#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>

namespace {

constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkA = 0x41;

// The recorder's keys equal `expected` once it has written them: a busy machine may pass them on late.
#define EXPECT_KEYS(recorder, expected) EXPECT_EQ((recorder).KeysAwaited(expected), expected)

#define REQUIRE_SWAY()                                                                                       \
    if (!SwayRunning()) GTEST_SKIP() << "needs run-with-sway.sh"

} // namespace

TEST(SwayKeys, TextWithShiftArrivesAsPairsAndNothingStaysHeld) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-keys"), QStringLiteral("keys"));
    ASSERT_TRUE(recorder.Ready());
    const MacroRun run = RunMacro("KBD VK_SHIFT, DOWN\nKBD VK_A, PRESS\nKBD VK_SHIFT, UP\nKBD VK_B, PRESS\n"
                                  "KBD VK_1, PRESS\nKBD VK_CONTROL, DOWN\nPRINT \"done\"\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The Control key held at the end of the run goes up with it.
    EXPECT_KEYS(recorder, "+Shift_L +A -A -Shift_L +b -b +1 -1 +Control_L -Control_L");
}

TEST(SwayKeys, ARunEndingInAnErrorReleasesItsKeys) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-error"), QStringLiteral("error"));
    ASSERT_TRUE(recorder.Ready());
    const MacroRun run = RunMacro("KBD VK_SHIFT, DOWN\nKBD VK_A, DOWN\nKBD\n");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_KEYS(recorder, "+Shift_L +A -A -Shift_L");
}

// sway counts every press of the virtual keyboard's keys: Shift down twice must reach it once, so one key-up
// lets it go ("AbC", not "ABC"), and nothing stays held after the run, also for a platform that lives on as
// the editor's does.
TEST(SwayKeys, AKeyDownOfAHeldKeyIsNoSecondPress) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-twice"), QStringLiteral("twice"));
    ASSERT_TRUE(recorder.Ready());
    const MacroRun run =
        RunMacro("KBD VK_SHIFT, DOWN\nKBD VK_SHIFT, DOWN\nKBD VK_A, PRESS\nKBD VK_SHIFT, UP\n"
                 "KBD VK_B, PRESS\nKBD VK_SHIFT, DOWN\nKBD VK_C, PRESS\nKBD VK_SHIFT, DOWN\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_KEYS(recorder, "+Shift_L +A -A -Shift_L +b -b +Shift_L +C -C -Shift_L");

    recorder.Clear();
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    platform->SendKeyEvent(kVkShift, 0, 0);
    platform->SendKeyEvent(kVkShift, 0, 0);
    platform->SendKeyEvent(kVkShift, DesktopPlatform::kKeyUp, 0);
    platform->EndOfRun();
    platform->SendKeyEvent(kVkA, 0, 0);
    platform->SendKeyEvent(kVkA, DesktopPlatform::kKeyUp, 0);
    EXPECT_KEYS(recorder, "+Shift_L -Shift_L +a -a");
}

TEST(SwayKeys, KeyStateIsWhatTheMacroPressedAndHolds) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-state"), QStringLiteral("state"));
    ASSERT_TRUE(recorder.Ready());
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    platform->SendKeyEvent(kVkA, 0, 0);
    EXPECT_EQ(platform->AsyncKeyState(kVkA), 0x8001);
    EXPECT_EQ(platform->AsyncKeyState(kVkA), 0x8000);
    platform->SendKeyEvent(kVkA, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(platform->AsyncKeyState(kVkA), 0);
    platform->SendKeyEvent(kVkShift, 0, 0);
    platform->EndOfRun();
    EXPECT_EQ(platform->AsyncKeyState(kVkShift), 1); // up now, pressed since the last query
    EXPECT_EQ(platform->AsyncKeyState(kVkShift), 0);
    EXPECT_KEYS(recorder, "+a -a +Shift_L -Shift_L");
}

TEST(SwayKeys, AKeysymOffTheLayoutIsTypedThroughALentKeycode) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-keysym"), QStringLiteral("keysym"));
    ASSERT_TRUE(recorder.Ready());
    wl_display* display = wl_display_connect(nullptr);
    ASSERT_NE(display, nullptr);
    {
        std::unique_ptr<CompositorSession> session = OpenWlrootsSession(display);
        ASSERT_TRUE(session);
        ASSERT_TRUE(session->Input().Open().empty());
        EXPECT_TRUE(session->Input().KeySym(XKB_KEY_EuroSign, true));
        EXPECT_TRUE(session->Input().KeySym(XKB_KEY_EuroSign, false));
        EXPECT_TRUE(session->Input().KeySym(XKB_KEY_ssharp, true));
        EXPECT_TRUE(session->Input().KeySym(XKB_KEY_ssharp, false));
        // After the run the layout's own keymap is back: a key still types its own symbol.
        session->Input().EndOfRun();
        session->Input().Key(30, true);
        session->Input().Key(30, false);
        EXPECT_KEYS(recorder, "+EuroSign -EuroSign +ssharp -ssharp +a -a");
        EXPECT_FALSE(session->Lost());
    }
    wl_display_disconnect(display);
}

TEST(SwayGermanLayout, ZAndYTypeTheirOwnLetters) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-german"), QStringLiteral("german"));
    ASSERT_TRUE(recorder.Ready());
    const MacroRun run = RunMacro("KBD VK_Z, PRESS\nKBD VK_Y, PRESS\nKBD VK_SHIFT, DOWN\nKBD VK_Z, PRESS\n"
                                  "KBD VK_SHIFT, UP\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_KEYS(recorder, "+z -z +y -y +Shift_L +Z -Z -Shift_L");
    // The hardware keycodes are those of the German keyboard: Z sits where a US keyboard has Y.
    std::vector<int> downs;
    for (const rapidjson::Document& event : recorder.Events(0))
        if (SwayText(event, "/event") == "key" && SwayTrue(event, "/down"))
            downs.push_back(int(SwayInteger(event, "/keycode")));
    ASSERT_GE(downs.size(), 2u);
    EXPECT_EQ(downs[0], 21 + 8); // KEY_Y
    EXPECT_EQ(downs[1], 44 + 8); // KEY_Z
}

TEST(SwayPointer, MovesAbsoluteAndRelativeAndClicksReachTheRecorder) {
    REQUIRE_SWAY();
    Recorder recorder(QStringLiteral("qm-pointer"), QStringLiteral("pointer"), true);
    ASSERT_TRUE(recorder.Ready());
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    int32_t x = 0;
    int32_t y = 0;
    platform->SetPointerPosition(100, 200);
    platform->SendMouseEvent(DesktopPlatform::kMouseMove, 10, 5);
    EXPECT_TRUE(platform->PointerPosition(x, y));
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 205);
    platform->SendMouseEvent(DesktopPlatform::kMouseLeftDown | DesktopPlatform::kMouseLeftUp, 0, 0);
    platform->SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, 32768, 32768);
    platform->SendMouseEvent(DesktopPlatform::kMouseRightDown, 0, 0);
    platform->SendMouseEvent(DesktopPlatform::kMouseRightUp, 0, 0);
    // The first placement brings the pointer into the window (an enter, which the recorder does not
    // write, and on a busy machine a motion to that place as well); the relative move from there shows
    // where it was. Repeated motions to one place count once.
    std::vector<std::string> seen;
    const auto clicked = [](const std::vector<rapidjson::Document>& events) {
        return std::count_if(events.begin(), events.end(), [](const rapidjson::Document& event) {
                   return SwayText(event, "/event") == "button";
               }) >= 4;
    };
    for (const rapidjson::Document& event : recorder.EventsAwaited(clicked)) {
        const std::string kind = SwayText(event, "/event");
        const std::string at =
            std::to_string(SwayInteger(event, "/x")) + "," + std::to_string(SwayInteger(event, "/y"));
        std::string line;
        if (kind == "motion") line = "move " + at;
        if (kind == "button")
            line = std::string(SwayTrue(event, "/down") ? "down " : "up ") +
                   std::to_string(SwayInteger(event, "/button")) + " at " + at;
        if (!line.empty() && (seen.empty() || seen.back() != line)) seen.push_back(line);
    }
    if (!seen.empty() && seen.front() == "move 100,200") seen.erase(seen.begin());
    EXPECT_EQ(seen, (std::vector<std::string>{"move 110,205", "down 1 at 110,205", "up 1 at 110,205",
                                              "move 640,400", "down 3 at 640,400", "up 3 at 640,400"}));
}

TEST(SwayScreen, GetColorAndFindImgSeeTheRecordersPicture) {
    REQUIRE_SWAY();
    QTemporaryDir dir;
    QImage picture(1280, 800, QImage::Format_RGB32);
    picture.fill(QColor(0x10, 0x20, 0x30));
    // A template of distinct colours at (120, 40), with a decoy differing in every byte of one pixel at (20,
    // 40).
    QImage pattern(24, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) pattern.setPixelColor(x, y, QColor(x * 10, y * 15, 200 - x * 5));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            picture.setPixelColor(120 + x, 40 + y, pattern.pixelColor(x, y));
            picture.setPixelColor(20 + x, 40 + y, pattern.pixelColor(x, y));
        }
    picture.setPixelColor(20 + 23, 40 + 15, QColor(255, 255, 255));
    picture.setPixelColor(700, 500, QColor(0x12, 0x34, 0x56));
    const QString picturePath = dir.filePath(QStringLiteral("screen.png"));
    const QString patternPath = dir.filePath(QStringLiteral("pattern.png"));
    ASSERT_TRUE(picture.save(picturePath));
    ASSERT_TRUE(pattern.save(patternPath));
    Recorder recorder(QStringLiteral("qm-picture"), QStringLiteral("picture"), true, picturePath);
    ASSERT_TRUE(recorder.Ready());
    QThread::msleep(300);
    const MacroRun run = RunMacro("PRINT GETCOLOR(700, 500)\nPRINT IMG_R\nPRINT IMG_G\nPRINT IMG_B\n"
                                  "PRINT GETCOLOR(1279, 799)\nPRINT GETCOLOR(1280, 0)\nFINDIMG \"" +
                                  patternPath.toStdString() + "\"\nPRINT IMG_X\nPRINT IMG_Y\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // 0x00BBGGRR: red 0x12, green 0x34, blue 0x56.
    EXPECT_EQ(run.out, std::to_string(0x563412) + "\n86\n52\n18\n" + std::to_string(0x302010) +
                           "\n-1\n120\n40\n" + "終了しました。\n");
}

TEST(SwayWindows, FindPlaceMoveAndCommandFootAndTheRecorder) {
    REQUIRE_SWAY();
    QProcess foot;
    foot.start(QStringLiteral("foot"), {QStringLiteral("--app-id=qm-foot"), QStringLiteral("--title=qm foot"),
                                        QStringLiteral("sleep"), QStringLiteral("60")});
    ASSERT_TRUE(WaitForSwayWindow("qm-foot"));
    Recorder recorder(QStringLiteral("qm-window"), QStringLiteral("qm window"));
    ASSERT_TRUE(recorder.Ready());
    const MacroRun run =
        RunMacro("DIM f\nDIM w\nf = GETWINID(\"qm-foot\")\nw = GETWINID(\"qm-window\", \"qm window\")\n"
                 "PRINT f\nPRINT w\nPRINT GETWINID(\"qm-window\", \"other\")\nPRINT GETWINID(\"nothing\")\n"
                 "SETWIN w, 100, 50, 500, 300\nPRINT \"moved\"\nPRINT SETWIN(w)\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    rapidjson::Document tree = SwayTree();
    const rapidjson::Value* window = SwayWindow(tree, "qm-window");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SwayText(*window, "/type"), "floating_con");
    EXPECT_EQ(SwayInteger(*window, "/rect/x"), 100);
    // sway's rectangle leaves out the title bar above it.
    const int64_t titleBar = SwayInteger(*window, "/deco_rect/height");
    EXPECT_EQ(SwayInteger(*window, "/rect/y") - titleBar, 50);
    EXPECT_EQ(SwayInteger(*window, "/rect/width"), 500);
    EXPECT_EQ(SwayInteger(*window, "/rect/height") + titleBar, 300);
    const QStringList lines = QString::fromStdString(run.out).split(u'\n');
    ASSERT_GE(lines.size(), 7) << run.out;
    EXPECT_GT(lines[0].toInt(), 0);
    EXPECT_GT(lines[1].toInt(), 0);
    EXPECT_NE(lines[0], lines[1]);
    EXPECT_EQ(lines.mid(2, 5).join(u'\n').toStdString(), "0\n0\nmoved\n1\n終了しました。");

    const MacroRun maximise = RunMacro("DIM w\nw = GETWINID(\"qm-window\")\nPRINT CTRLWIN(w, MAX)\n");
    EXPECT_EQ(maximise.out, "0\n終了しました。\n");
    tree = SwayTree();
    ASSERT_NE(SwayWindow(tree, "qm-window"), nullptr);
    EXPECT_EQ(SwayInteger(*SwayWindow(tree, "qm-window"), "/fullscreen_mode"), 1);

    const MacroRun minimise =
        RunMacro("DIM w\nDIM c\nw = GETWINID(\"qm-window\")\nc = CTRLWIN(w, MIN)\nPRINT SETWIN(w)\n");
    EXPECT_EQ(minimise.out, "0\n終了しました。\n") << minimise.err;
    tree = SwayTree();
    ASSERT_NE(SwayWindow(tree, "qm-window"), nullptr);
    EXPECT_FALSE(SwayTrue(*SwayWindow(tree, "qm-window"), "/visible"));

    const MacroRun restore =
        RunMacro("DIM w\nDIM c\nw = GETWINID(\"qm-window\")\nc = CTRLWIN(w, NORMAL)\nPRINT SETWIN(w)\n");
    EXPECT_EQ(restore.out, "1\n終了しました。\n") << restore.err;
    tree = SwayTree();
    ASSERT_NE(SwayWindow(tree, "qm-window"), nullptr);
    EXPECT_TRUE(SwayTrue(*SwayWindow(tree, "qm-window"), "/visible"));
    EXPECT_EQ(SwayInteger(*SwayWindow(tree, "qm-window"), "/fullscreen_mode"), 0);

    // The most recently focused of two windows of one class is found first.
    Recorder second(QStringLiteral("qm-window"), QStringLiteral("second"));
    ASSERT_TRUE(second.Ready());
    const MacroRun topmost =
        RunMacro("PRINT GETWINID(\"qm-window\")\nPRINT GETWINID(\"qm-window\", \"second\")\n");
    const QStringList both = QString::fromStdString(topmost.out).split(u'\n');
    ASSERT_GE(both.size(), 2);
    EXPECT_EQ(both[0], both[1]);

    const MacroRun close =
        RunMacro("DIM f\nDIM c\nf = GETWINID(\"qm-foot\")\nc = CTRLWIN(f, &HF060)\nWAIT 500\n"
                 "PRINT GETWINID(\"qm-foot\")\n");
    EXPECT_EQ(close.out, "0\n終了しました。\n") << close.err;
    EXPECT_TRUE(foot.waitForFinished(5000));
}

namespace {

const char kLostGetColor[] =
    "関数の呼び出しが不正です\n画面との接続が切れたため、この関数は実行できません - GETCOLOR\n行=5\n";

} // namespace

// The loss tests: sway's process id, which the harness writes for them, and one run of the command-line
// program on a macro of the test's.
class SwayLoss : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_SWAY();
        if (const char* pidFile = std::getenv("SWAY_TEST_PID_FILE")) std::ifstream(pidFile) >> sway_;
        ASSERT_GT(sway_, 0) << "run with SWAY_TEST_PID_FILE set";
    }

    // Starts the run on a macro that prints "started" (and then loops, or ends); true once it has printed.
    bool Start(const char* text) {
        const QString macro = dir_.filePath(QStringLiteral("loop.qlx"));
        QFile file(macro);
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(text);
        file.close();
        run_.start(QStringLiteral(QM_PROGRAM), {macro});
        QElapsedTimer waited;
        waited.start();
        bool started = false;
        while (!started && waited.elapsed() < 20000 && run_.state() != QProcess::NotRunning) {
            run_.waitForReadyRead(50);
            started = run_.peek(100).contains("started");
        }
        return started;
    }
    std::string Errors() { return run_.readAllStandardError().toStdString(); }

    pid_t sway_ = 0;
    QTemporaryDir dir_;
    QProcess run_;
};

// sway reads nothing more from a client that has hung up, so the program may end only once its last keys
// are handled: here sway is stopped while they are sent, and they still arrive once it goes on.
TEST_F(SwayLoss, TheLastKeysOfARunArriveThoughSwayIsBusyWhenItEnds) {
    Recorder recorder(QStringLiteral("qm-busy"), QStringLiteral("busy"));
    ASSERT_TRUE(recorder.Ready());
    ASSERT_TRUE(Start("KBD VK_A, PRESS\nPRINT \"started\"\nWAIT 200\nKBD VK_B, PRESS\n")) << Errors();
    kill(sway_, SIGSTOP);
    run_.waitForFinished(1500); // the run has sent its keys and is ending meanwhile
    kill(sway_, SIGCONT);
    ASSERT_TRUE(run_.state() == QProcess::NotRunning || run_.waitForFinished(20000));
    EXPECT_EQ(run_.exitCode(), 0) << Errors();
    EXPECT_KEYS(recorder, "+a -a +b -b");
}

// A compositor that stops answering (here: stopped with SIGSTOP) ends the run as a lost one after the
// answer limit, instead of hanging it.
TEST_F(SwayLoss, ARunWhoseSwayFreezesEndsWithCodeSevenAfterTheLimit) {
    ASSERT_TRUE(Start("DIM c\nc = GETCOLOR(1, 1)\nPRINT \"started\"\nWHILE 1\nc = GETCOLOR(1, 1)\nWEND\n"))
        << Errors();
    QElapsedTimer sinceStop;
    kill(sway_, SIGSTOP);
    sinceStop.start();
    const bool ended = run_.waitForFinished(20000);
    const qint64 endMs = sinceStop.elapsed();
    kill(sway_, SIGCONT);
    if (!ended) run_.kill();
    ASSERT_TRUE(ended) << "still running 20 s after sway froze";
    // Not before the answer limit of 5 s: a slow answer is no lost compositor.
    EXPECT_GE(endMs, 4000);
    EXPECT_EQ(run_.exitCode(), 7);
    EXPECT_EQ(Errors(), kLostGetColor);
}

TEST_F(SwayLoss, ARunWhoseSwayIsKilledEndsWithCodeSeven) {
    ASSERT_TRUE(Start("DIM c\nKBD VK_SHIFT, DOWN\nPRINT \"started\"\nWHILE 1\nc = GETCOLOR(1, 1)\nWEND\n"))
        << Errors();
    QThread::msleep(300);
    kill(sway_, SIGKILL);
    const bool ended = run_.waitForFinished(20000);
    if (!ended) run_.kill();
    ASSERT_TRUE(ended) << "still running 20 s after sway was killed";
    EXPECT_EQ(run_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run_.exitCode(), 7);
    EXPECT_EQ(run_.readAllStandardOutput().toStdString(), "started\n終了しました。\n");
    EXPECT_EQ(Errors(), kLostGetColor);
}
