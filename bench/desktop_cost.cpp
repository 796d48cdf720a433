// desktop_cost: what the desktop functions cost on whichever desktop the program finds (X11, GNOME, sway):
// the first key and the first pixel (each part set up), GETCOLOR, FINDIMG's capture and search, a key's way.
#include "desktop_platform_factory.h"
#include "image_search.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The GTK test client, full-screen, recording the keys it receives into a file.
class Recorder {
  public:
    Recorder(const std::string& script, const std::string& out) : out_(out) {
        std::remove(out_.c_str());
        std::string scriptArg = script;
        std::string outArg = out;
        char python[] = "/usr/bin/python3";
        char outFlag[] = "--out";
        char full[] = "--fullscreen";
        char* argv[] = {python, scriptArg.data(), outFlag, outArg.data(), full, nullptr};
        setenv("NO_AT_BRIDGE", "1", 1);
        posix_spawn(&pid_, python, nullptr, nullptr, argv, environ);
        for (int i = 0; i < 200 && Size() == 0; ++i) usleep(50000);
    }
    ~Recorder() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        std::remove(out_.c_str());
    }
    size_t Size() const {
        std::ifstream in(out_, std::ios::binary | std::ios::ate);
        return in ? static_cast<size_t>(in.tellg()) : 0;
    }

  private:
    std::string out_;
    pid_t pid_ = -1;
};

} // namespace

// The screen as the desktop platform reads it, into a PPM picture (to look at what a macro sees).
int SaveScreen(const char* path) {
    auto desktop = CreateDesktopPlatform();
    PixelGrid screen;
    if (!desktop->PartUnavailable(DesktopPart::Screen).empty() || desktop->CaptureScreen(screen) != 0)
        return 1;
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << screen.width << ' ' << screen.height << "\n255\n";
    for (int32_t y = 0; y < screen.height; ++y)
        for (int32_t x = 0; x < screen.width; ++x) {
            const uint8_t* p = screen.Pixel(x, y);
            const char rgb[] = {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
            out.write(rgb, 3);
        }
    return out ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--screenshot") return SaveScreen(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RECORDER_SCRIPT | --screenshot FILE.ppm\n", argv[0]);
        return 2;
    }
    Recorder recorder(argv[1], "/tmp/qm-desktop-cost-" + std::to_string(getpid()) + ".jsonl");
    usleep(500000);

    Clock::time_point start = Clock::now();
    auto desktop = CreateDesktopPlatform();
    const double created = MsSince(start);
    start = Clock::now();
    const int32_t firstPixel =
        desktop->PartUnavailable(DesktopPart::Screen).empty() ? desktop->ReadPixel(10, 10) : -1;
    const double firstPixelMs = MsSince(start);
    start = Clock::now();
    if (!desktop->PartUnavailable(DesktopPart::Input).empty()) return 1;
    desktop->SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, 32768, 32768);
    const double firstInputMs = MsSince(start);
    if (firstPixel < 0) return 1;

    constexpr int kPixels = 500;
    start = Clock::now();
    for (int i = 0; i < kPixels; ++i) desktop->ReadPixel(i % 1280, i % 800);
    const double perPixel = MsSince(start) / kPixels;

    // FINDIMG: the whole screen captured, then a 32x32 cut of it searched for.
    PixelGrid screen;
    if (desktop->CaptureScreen(screen) != 0) return 1;
    PixelGrid cut;
    cut.width = cut.height = 32;
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const uint8_t* p = screen.Pixel(600 + x, 380 + y);
            cut.bgra.insert(cut.bgra.end(), p, p + 4);
        }
    constexpr int kSearches = 20;
    double captureMs = 0;
    start = Clock::now();
    for (int i = 0; i < kSearches; ++i) {
        const Clock::time_point captureStart = Clock::now();
        desktop->CaptureScreen(screen);
        captureMs += MsSince(captureStart);
        int32_t x = 0;
        int32_t y = 0;
        FindImage(screen, cut, x, y);
    }
    const double perSearch = MsSince(start) / kSearches;

    desktop->SendMouseEvent(DesktopPlatform::kMouseLeftDown, 0, 0);
    desktop->SendMouseEvent(DesktopPlatform::kMouseLeftUp, 0, 0);
    usleep(300000);
    constexpr int kKeys = 30;
    double keyTotal = 0;
    double keyWorst = 0;
    for (int i = 0; i < kKeys; ++i) {
        const size_t before = recorder.Size();
        start = Clock::now();
        desktop->SendKeyEvent(static_cast<uint8_t>('A' + i % 26), 0, 0);
        while (recorder.Size() == before && MsSince(start) < 2000) usleep(100);
        const double ms = MsSince(start);
        keyTotal += ms;
        keyWorst = std::max(keyWorst, ms);
        desktop->SendKeyEvent(static_cast<uint8_t>('A' + i % 26), DesktopPlatform::kKeyUp, 0);
        usleep(20000);
    }
    desktop->EndOfRun();
    std::printf("platform created %.1f ms; first GETCOLOR %.1f ms; first MUS %.1f ms\n", created,
                firstPixelMs, firstInputMs);
    std::printf("GETCOLOR %.3f ms; FINDIMG %.2f ms (capture %.2f ms) at %dx%d\n", perPixel, perSearch,
                captureMs / kSearches, screen.width, screen.height);
    std::printf("key to client %.2f ms average, %.2f ms worst of %d\n", keyTotal / kKeys, keyWorst, kKeys);
    return 0;
}
