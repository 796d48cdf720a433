// findimg_timer: times FINDIMG on the current X display for bench/findimg. For each case (a screen picture
// and a template file) it shows the picture as the root background, then times the capture alone, the search
// alone and whole FINDIMG calls in a macro (capture and template loading included); one line per case.
#include "desktop_platform_factory.h"
#include "image_file.h"
#include "image_search.h"
#include "library_state.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Xlib comes last: its macros (None, Bool, Status) clash with names in the headers above.
#include "screen_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F> double MedianTime(int repeats, F&& work) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        work();
        times.push_back(Milliseconds(start, Clock::now()));
    }
    return Median(times);
}

std::u16string U16(const char* text) {
    return QString::fromUtf8(text).toStdU16String();
}

int TimeCase(DesktopPlatform& platform, Display* display, int repeats, const char* screenFile,
             const char* templFile) {
    PixelGrid picture;
    PixelGrid templ;
    if (LoadImageFileToGrid(U16(screenFile), picture) != 0 ||
        LoadImageFileToGrid(U16(templFile), templ) != 0) {
        std::fprintf(stderr, "findimg_timer: cannot load %s or %s\n", screenFile, templFile);
        return 1;
    }
    screen_test::SetRootBackground(display, picture);

    PixelGrid shot;
    double capture = MedianTime(repeats, [&] { platform.CaptureScreen(shot); });
    if (shot.bgra != picture.bgra) {
        std::fprintf(stderr, "findimg_timer: the capture differs from the picture (screen size?)\n");
        return 1;
    }
    int32_t x = -1;
    int32_t y = -1;
    double search = MedianTime(repeats, [&] { FindImage(shot, templ, x, y); });

    cMoMacro macro(nullptr, &platform);
    macro.SetSyncRun(true);
    macro.SetMacroText(u"FINDIMG \"" + U16(templFile) + u"\"\r\n");
    LibraryState::ImgX = -1;
    LibraryState::ImgY = -1;
    double findimg = MedianTime(repeats, [&] { macro.Run(); });
    if (macro.Error().ErrorCode() != 0) {
        std::fprintf(stderr, "findimg_timer: FINDIMG failed with code %d\n", macro.Error().ErrorCode());
        return 1;
    }
    std::printf("capture_ms=%.3f search_ms=%.3f findimg_ms=%.3f found=", capture, search, findimg);
    if (LibraryState::ImgX >= 0)
        std::printf("%d,%d\n", LibraryState::ImgX, LibraryState::ImgY);
    else
        std::printf("none\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::fprintf(stderr, "usage: findimg_timer REPEATS SCREEN TEMPLATE [SCREEN TEMPLATE]...\n");
        return 2;
    }
    int repeats = std::max(1, std::atoi(argv[1]));
    std::unique_ptr<DesktopPlatform> platform = CreateDesktopPlatform();
    Display* display = XOpenDisplay(nullptr);
    if (!platform->HasDisplay() || display == nullptr) {
        std::fprintf(stderr, "findimg_timer: no X display\n");
        return 1;
    }
    int status = 0;
    for (int i = 2; i + 1 < argc && status == 0; i += 2)
        status = TimeCase(*platform, display, repeats, argv[i], argv[i + 1]);
    XCloseDisplay(display);
    return status;
}
