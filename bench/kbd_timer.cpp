// kbd_timer: times one KBD PRESS (a key-down and a key-up through the desktop platform) on the current X
// display for bench/kbd_paths: a key the layout's table places, a key found by its keysym, a keysym lent
// to a spare keycode that is still bound, and a keysym that has to be bound anew. One line per path.
#include "desktop_platform_factory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median milliseconds of one press of the code; `pause` is waited between presses (not timed).
double TimePress(DesktopPlatform& desktop, uint8_t code, int repeats, std::chrono::milliseconds pause) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        desktop.SendKeyEvent(code, 0, 0);
        desktop.SendKeyEvent(code, DesktopPlatform::kKeyUp, 10);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::this_thread::sleep_for(pause);
    }
    return Median(times);
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    if (!desktop->HasDisplay()) {
        std::fprintf(stderr, "kbd_timer: no display\n");
        return 2;
    }
    const auto none = std::chrono::milliseconds(0);
    // VK_A: the layout table's key. VK_VOLUME_MUTE: no table place, its keysym is on a key of the map.
    // VK_ATTN: a keysym no key has, lent to a spare keycode; pressed again at once the binding is still
    // there, pressed after the binding's 500 ms grace it is bound anew (with the 50 ms wait for the map).
    std::printf("table path (VK_A)             %8.3f ms\n", TimePress(*desktop, 0x41, repeats, none));
    std::printf("keysym path (VK_VOLUME_MUTE)  %8.3f ms\n", TimePress(*desktop, 0xAD, repeats, none));
    std::printf("lent, still bound (VK_ATTN)   %8.3f ms\n", TimePress(*desktop, 0xF6, repeats, none));
    std::printf("lent, bound anew (VK_ATTN)    %8.3f ms\n",
                TimePress(*desktop, 0xF6, std::max(3, repeats / 40), std::chrono::milliseconds(600)));
    return 0;
}
