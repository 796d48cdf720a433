// aids_probe, the X client behind bench/aids_cost.sh: steady XTest pointer motion over a rectangle ("move"),
// and the time XTest key and button presses take to reach a window of its own ("latency").
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void SleepUntil(int64_t ns) {
    timespec until{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

bool ReadArea(char** argv, Area& area) {
    area = {std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3])};
    return area.width > 1 && area.height > 1;
}

bool HasXTest(Display* display) {
    int event = 0, error = 0, major = 0, minor = 0;
    return XTestQueryExtension(display, &event, &error, &major, &minor) != 0;
}

// A Lissajous figure over the area: every part of it is crossed within a few seconds, and consecutive
// positions differ, so each motion is a real move.
int Move(double seconds, double rate, const Area& area) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || !HasXTest(display)) return 1;
    const int64_t step = static_cast<int64_t>(1e9 / rate);
    const int64_t start = NowNs();
    const int64_t end = start + static_cast<int64_t>(seconds * 1e9);
    long moves = 0;
    for (int64_t due = start; due < end; due += step) {
        SleepUntil(due);
        const double t = static_cast<double>(due - start) / 1e9;
        const int x =
            area.x + static_cast<int>((area.width - 1) * (0.5 + 0.5 * std::sin(2 * M_PI * 0.23 * t)));
        const int y =
            area.y + static_cast<int>((area.height - 1) * (0.5 + 0.5 * std::sin(2 * M_PI * 0.31 * t)));
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XFlush(display);
        ++moves;
    }
    XSync(display, False);
    const double elapsed = static_cast<double>(NowNs() - start) / 1e9;
    std::printf("moves %ld rate %.1f\n", moves, static_cast<double>(moves) / elapsed);
    XCloseDisplay(display);
    return 0;
}

// The focus request fails while the window manager has not framed the window yet; that is not fatal.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

class Receiver {
  public:
    Receiver(Display* display, const Area& area) : display_(display) {
        const int screen = DefaultScreen(display);
        window_ = XCreateSimpleWindow(display, RootWindow(display, screen), area.x, area.y,
                                      static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                                      0, 0, WhitePixel(display, screen));
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = area.x;
        hints.y = area.y;
        hints.width = area.width;
        hints.height = area.height;
        XSetWMNormalHints(display, window_, &hints);
        XStoreName(display, window_, "aids_probe");
        XSelectInput(display, window_,
                     KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | FocusChangeMask |
                         StructureNotifyMask | ExposureMask);
        XMapWindow(display, window_);
    }

    // Waits until the window is shown and has the keyboard focus.
    bool TakeFocus() {
        const int64_t limit = NowNs() + 10'000'000'000;
        while (NowNs() < limit) {
            XWindowAttributes attributes{};
            XGetWindowAttributes(display_, window_, &attributes);
            if (attributes.map_state == IsViewable)
                XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
            XSync(display_, False);
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == FocusIn && event.xfocus.window == window_) return true;
            }
            SleepUntil(NowNs() + 50'000'000);
        }
        return false;
    }

    // The centre of the window on the screen.
    void Centre(int& x, int& y) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window_, &attributes);
        Window child = 0;
        XTranslateCoordinates(display_, window_, attributes.root, attributes.width / 2, attributes.height / 2,
                              &x, &y, &child);
    }

    // Reads events until one of the type arrives for the window; its arrival time, or -1 after the limit.
    int64_t WaitFor(int type, int64_t limitNs) {
        while (true) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == type && event.xany.window == window_) return NowNs();
            }
            const int64_t left = limitNs - NowNs();
            if (left <= 0) return -1;
            pollfd watched{ConnectionNumber(display_), POLLIN, 0};
            poll(&watched, 1, static_cast<int>(left / 1'000'000) + 1);
        }
    }

  private:
    Display* display_;
    Window window_ = 0;
};

struct Summary {
    size_t count = 0;
    double median = 0, p95 = 0, mean = 0, max = 0;
};

Summary Summarise(std::vector<double> samples) {
    Summary s;
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.count = samples.size();
    const auto at = [&](double q) { return samples[static_cast<size_t>(std::ceil(q * s.count)) - 1]; };
    s.median =
        s.count % 2 == 1 ? samples[s.count / 2] : (samples[s.count / 2 - 1] + samples[s.count / 2]) / 2;
    s.p95 = at(0.95);
    double sum = 0;
    for (double v : samples) sum += v;
    s.mean = sum / static_cast<double>(s.count);
    s.max = samples.back();
    return s;
}

void Print(const char* name, const std::vector<double>& samples) {
    const Summary s = Summarise(samples);
    std::printf("%s n %zu median_us %.1f p95_us %.1f mean_us %.1f max_us %.1f\n", name, s.count, s.median,
                s.p95, s.mean, s.max);
}

int Latency(int count, int gapMs, const Area& area) {
    // Two connections, as two programs would have: the sender's requests and the receiver's events do not
    // share a queue.
    Display* sender = XOpenDisplay(nullptr);
    Display* receiving = XOpenDisplay(nullptr);
    if (sender == nullptr || receiving == nullptr || !HasXTest(sender)) {
        std::fprintf(stderr, "aids_probe: no display or no XTest\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    Receiver receiver(receiving, area);
    if (!receiver.TakeFocus()) {
        std::fprintf(stderr, "aids_probe: the window did not get the focus\n");
        return 1;
    }
    int x = 0, y = 0;
    receiver.Centre(x, y);
    XTestFakeMotionEvent(sender, -1, x, y, CurrentTime);
    XSync(sender, False);
    const KeyCode key = XKeysymToKeycode(sender, XK_a);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> jitter(0, std::max(gapMs / 2, 1));
    std::vector<double> keys, buttons, all;
    constexpr int kWarmUp = 10;
    for (int i = 0; i < count + kWarmUp; ++i) {
        const bool isKey = i % 2 == 0;
        const int64_t sent = NowNs();
        if (isKey)
            XTestFakeKeyEvent(sender, key, True, CurrentTime);
        else
            XTestFakeButtonEvent(sender, 1, True, CurrentTime);
        XFlush(sender);
        const int64_t arrived = receiver.WaitFor(isKey ? KeyPress : ButtonPress, sent + 2'000'000'000);
        if (isKey)
            XTestFakeKeyEvent(sender, key, False, CurrentTime);
        else
            XTestFakeButtonEvent(sender, 1, False, CurrentTime);
        XFlush(sender);
        const int64_t released =
            receiver.WaitFor(isKey ? KeyRelease : ButtonRelease, NowNs() + 2'000'000'000);
        if (arrived < 0 || released < 0) {
            std::fprintf(stderr, "aids_probe: event %d (%s) did not reach the window\n", i,
                         isKey ? "key" : "button");
            return 1;
        }
        if (i >= kWarmUp) {
            const double us = static_cast<double>(arrived - sent) / 1000.0;
            (isKey ? keys : buttons).push_back(us);
            all.push_back(us);
        }
        SleepUntil(NowNs() + static_cast<int64_t>(gapMs + jitter(random)) * 1'000'000);
    }
    Print("key", keys);
    Print("button", buttons);
    Print("all", all);
    XCloseDisplay(receiving);
    XCloseDisplay(sender);
    return 0;
}

} // namespace

// "move SECONDS RATE X Y W H" prints "moves N rate R". "latency COUNT GAP_MS X Y W H" opens its window at X,Y
// (W×H), takes the focus, points at its centre and sends COUNT presses (keys and left clicks in turn, each
// released before the next, GAP_MS apart plus up to half as much again at random), timing each press from
// just before the XTest request to the moment the window's event has been read (CLOCK_MONOTONIC); it prints
// "key|button|all n N median_us M p95_us P mean_us A max_us X". Status 1 when the display, XTest or the
// window fails, or when an event has not arrived within two seconds (it went to another window).
int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    Area area;
    if (mode == "move" && argc == 8 && ReadArea(argv + 4, area))
        return Move(std::atof(argv[2]), std::max(std::atof(argv[3]), 1.0), area);
    if (mode == "latency" && argc == 8 && ReadArea(argv + 4, area))
        return Latency(std::max(std::atoi(argv[2]), 1), std::max(std::atoi(argv[3]), 0), area);
    std::fprintf(stderr, "usage: %s move SECONDS RATE X Y W H\n       %s latency COUNT GAP_MS X Y W H\n",
                 argv[0], argv[0]);
    return 2;
}
