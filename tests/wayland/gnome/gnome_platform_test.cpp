// Tests of the GNOME session through the desktop platform itself, on the headless mutter of
// run-with-mutter.sh: key state of held keys, the screen's size, and the costs of the first call, of reading
// pixels and the whole screen, and of a key's way to a client; and, without a compositor, the reading of
// GNOME's input-source lists.
#include "desktop_platform_factory.h"
#include "gnome_session_layout.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool OnMutter() {
    return std::getenv("QM_MUTTER_PID") != nullptr;
}

// The GTK recorder full-screen, its records in a file.
class RecorderClient {
  public:
    explicit RecorderClient(const std::string& out) : out_(out) {
        std::string script = QM_RECORDER;
        char python[] = "/usr/bin/python3";
        std::string outArg = out;
        char outFlag[] = "--out";
        char full[] = "--fullscreen";
        char* argv[] = {python, script.data(), outFlag, outArg.data(), full, nullptr};
        setenv("NO_AT_BRIDGE", "1", 1);
        posix_spawn(&pid_, python, nullptr, nullptr, argv, environ);
        for (int i = 0; i < 400 && Text().find("\"ready\"") == std::string::npos; ++i) usleep(50000);
    }
    ~RecorderClient() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::remove(out_.c_str());
    }
    std::string Text() const {
        std::ifstream in(out_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string out_;
    pid_t pid_ = -1;
};

} // namespace

TEST(GnomeSourceList, TheFirstXkbSourceGivesLayoutAndVariant) {
    std::string layout;
    std::string variant;
    EXPECT_TRUE(FirstXkbSource("[('xkb', 'de+nodeadkeys'), ('xkb', 'us')]\n", layout, variant));
    EXPECT_EQ(layout, "de");
    EXPECT_EQ(variant, "nodeadkeys");
    // Input methods are passed over; a plain layout has no variant.
    EXPECT_TRUE(FirstXkbSource("[('ibus', 'mozc-jp'), ('xkb', 'jp')]", layout, variant));
    EXPECT_EQ(layout, "jp");
    EXPECT_EQ(variant, "");
    EXPECT_FALSE(FirstXkbSource("@a(ss) []\n", layout, variant));
    EXPECT_FALSE(FirstXkbSource("[('ibus', 'anthy')]", layout, variant));
    EXPECT_FALSE(FirstXkbSource("", layout, variant));
}

TEST(GnomeLive, HeldKeysReportBitFifteenAndTheirOwnPressOnce) {
    if (!OnMutter()) GTEST_SKIP() << "needs run-with-mutter.sh";
    auto platform = CreateDesktopPlatform();
    ASSERT_TRUE(platform->HasDisplay());
    ASSERT_EQ(platform->PartUnavailable(DesktopPart::Input), u"");
    platform->SendKeyEvent(0xA0, 0, 0); // left Shift down
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0x8001);
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0x8000);
    EXPECT_EQ(platform->AsyncKeyState(0x10), 0x8001); // either Shift
    EXPECT_EQ(platform->AsyncKeyState(0x41), 0);
    platform->SendKeyEvent(0xA0, DesktopPlatform::kKeyUp, 0);
    EXPECT_EQ(platform->AsyncKeyState(0xA0), 0);
    EXPECT_EQ(platform->AsyncKeyState(0x10), 0);
    EXPECT_FALSE(platform->DisplayLost());
}

TEST(GnomeLive, ScreenSizeAndPrimaryComeFromTheMonitor) {
    if (!OnMutter()) GTEST_SKIP() << "needs run-with-mutter.sh";
    auto platform = CreateDesktopPlatform();
    int32_t width = 0;
    int32_t height = 0;
    platform->ScreenSize(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 800);
    ScreenRect primary;
    ASSERT_TRUE(platform->PrimaryMonitor(primary));
    EXPECT_EQ(primary.left, 0);
    EXPECT_EQ(primary.width, 1280);
    EXPECT_EQ(platform->ReadPixel(1280, 0), -1);
}

TEST(GnomeLive, Costs) {
    if (!OnMutter()) GTEST_SKIP() << "needs run-with-mutter.sh";
    RecorderClient recorder("/tmp/qm-gnome-costs-" + std::to_string(getpid()) + ".jsonl");
    ASSERT_NE(recorder.Text().find("\"ready\""), std::string::npos);

    Clock::time_point start = Clock::now();
    auto platform = CreateDesktopPlatform();
    const double created = MsSince(start);
    start = Clock::now();
    ASSERT_EQ(platform->PartUnavailable(DesktopPart::Input), u"");
    const double inputOpened = MsSince(start);
    start = Clock::now();
    const int32_t first = platform->ReadPixel(10, 10);
    const double firstPixel = MsSince(start);
    ASSERT_GE(first, 0);

    constexpr int kPixels = 2000;
    start = Clock::now();
    for (int i = 0; i < kPixels; ++i) platform->ReadPixel(i % 1280, i % 800);
    const double perPixel = MsSince(start) / kPixels;

    constexpr int kScreens = 30;
    PixelGrid grid;
    start = Clock::now();
    for (int i = 0; i < kScreens; ++i) ASSERT_EQ(platform->CaptureScreen(grid), 0);
    const double perScreen = MsSince(start) / kScreens;
    EXPECT_EQ(grid.width, 1280);

    // A click gives the recorder the keyboard; then each key's way to it.
    platform->SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, 32768, 32768);
    platform->SendMouseEvent(DesktopPlatform::kMouseLeftDown, 0, 0);
    platform->SendMouseEvent(DesktopPlatform::kMouseLeftUp, 0, 0);
    usleep(300000);
    constexpr int kKeys = 20;
    double keyTotal = 0;
    double keyWorst = 0;
    for (int i = 0; i < kKeys; ++i) {
        const size_t before = recorder.Text().size();
        start = Clock::now();
        platform->SendKeyEvent(0x41 + i % 26, 0, 0);
        while (recorder.Text().size() == before && MsSince(start) < 2000) usleep(200);
        const double ms = MsSince(start);
        keyTotal += ms;
        keyWorst = std::max(keyWorst, ms);
        platform->SendKeyEvent(0x41 + i % 26, DesktopPlatform::kKeyUp, 0);
        usleep(20000);
    }
    EXPECT_LT(keyWorst, 2000);
    std::printf(
        "[ measured ] platform created %.1f ms; input opened %.1f ms; first GETCOLOR (screen set up, first "
        "frame) %.1f ms\n",
        created, inputOpened, firstPixel);
    std::printf("[ measured ] GETCOLOR %.3f ms per call; whole 1280x800 screen %.2f ms per capture\n",
                perPixel, perScreen);
    std::printf("[ measured ] key to client %.2f ms average, %.2f ms worst of %d\n", keyTotal / kKeys,
                keyWorst, kKeys);
}
