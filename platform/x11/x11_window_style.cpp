// The window styles of SHELL on X11: one watcher thread with its own display connection finds each new
// program's window by its _NET_WM_PID and withdraws, iconifies or maximises it (EWMH state message).
#include "x11_window_style.h"

#include "x11_connection_loss.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <system_error>
#include <csignal>
#include <thread>
#include <vector>

namespace {

constexpr auto kWatchFor = std::chrono::seconds(20); // a large program on a busy machine opens late
constexpr auto kLookEvery = std::chrono::milliseconds(40);

// The window list the window manager keeps, or the root's children when there is no window manager.
std::vector<Window> TopLevelWindows(Display* display) {
    std::vector<Window> windows;
    const Window root = DefaultRootWindow(display);
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, root, clientList, 0, 65536, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_WINDOW && format == 32) {
        const auto* list = reinterpret_cast<const unsigned long*>(data);
        windows.assign(list, list + count);
    }
    if (data != nullptr) XFree(data);
    if (type == XA_WINDOW) return windows;

    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &childCount) != 0 && children != nullptr) {
        windows.assign(children, children + childCount);
        XFree(children);
    }
    return windows;
}

bool HasProcessId(Display* display, Window window, Atom pidAtom, pid_t pid) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1)
        match = *reinterpret_cast<const unsigned long*>(data) == static_cast<unsigned long>(pid);
    if (data != nullptr) XFree(data);
    return match;
}

void Maximise(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // add
    event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    event.xclient.data.l[2] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    event.xclient.data.l[3] = 1; // a request from an ordinary application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

void Apply(Display* display, Window window, int32_t style) {
    const int screen = DefaultScreen(display);
    if (style == 0)
        XWithdrawWindow(display, window, screen);
    else if (style == 2 || style == 6)
        XIconifyWindow(display, window, screen);
    else if (style == 3)
        Maximise(display, window);
    XSync(display, False);
}

// Errors about windows that vanish while a watcher looks at them are expected and must not end the program;
// errors on any other connection go on to the handler that was there before.
std::mutex watchersLock;
std::set<Display*> watchers;
XErrorHandler previousHandler = nullptr;

int WatcherErrors(Display* display, XErrorEvent* error) {
    {
        std::lock_guard<std::mutex> hold(watchersLock);
        if (watchers.count(display) != 0) return 0;
    }
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

// `lost` is set when the server goes away meanwhile (x11_connection_loss.h); the watch then ends quietly.
Display* OpenWatcherDisplay(std::atomic<bool>& lost) {
    static const bool installed = [] {
        previousHandler = XSetErrorHandler(WatcherErrors);
        return true;
    }();
    (void)installed;
    Display* display = OpenWatchedDisplay(nullptr, lost);
    if (display == nullptr) return nullptr;
    std::lock_guard<std::mutex> hold(watchersLock);
    watchers.insert(display);
    return display;
}

void CloseWatcherDisplay(Display* display) {
    {
        std::lock_guard<std::mutex> hold(watchersLock);
        watchers.erase(display);
    }
    CloseWatchedDisplay(display);
}

// One program whose window still waits for its style.
struct Watched {
    pid_t pid;
    int32_t style;
    std::chrono::steady_clock::time_point end;
};

// One thread with one display connection watches for every program SHELL started with a style: a macro that
// starts hundreds of programs would otherwise use up the X server's clients and the process's threads. The
// thread ends (closing its connection) when nothing is left to watch, and starts again with the next program.
class StyleWatcher {
  public:
    void Add(pid_t pid, int32_t style) {
        std::lock_guard<std::mutex> hold(lock_);
        added_.push_back({pid, style, std::chrono::steady_clock::now() + kWatchFor});
        if (running_) return;
        try {
            std::thread([this] { Loop(); }).detach();
            running_ = true;
        } catch (const std::system_error&) {
            added_.clear(); // no thread to watch with: the programs keep the windows they open
        }
    }

  private:
    // Each turn drops the programs that have ended or waited too long, then reads the window list once and
    // styles the windows of the programs still waiting.
    void Loop() {
        std::atomic<bool> lost{false};
        Display* display = OpenWatcherDisplay(lost);
        std::vector<Watched> watched;
        while (true) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                watched.insert(watched.end(), added_.begin(), added_.end());
                added_.clear();
                Forget(watched, display == nullptr || lost.load());
                if (watched.empty()) {
                    running_ = false;
                    break;
                }
            }
            StyleFoundWindows(display, watched);
            std::this_thread::sleep_for(kLookEvery);
        }
        if (display != nullptr) CloseWatcherDisplay(display);
    }

    // Without a display (or after it has gone away) nothing can be styled any more.
    static void Forget(std::vector<Watched>& watched, bool displayGone) {
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(watched, [&](const Watched& one) {
            return displayGone || now >= one.end || kill(one.pid, 0) != 0;
        });
    }

    static void StyleFoundWindows(Display* display, std::vector<Watched>& watched) {
        const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
        for (Window window : TopLevelWindows(display)) {
            for (auto one = watched.begin(); one != watched.end(); ++one) {
                if (!HasProcessId(display, window, pidAtom, one->pid)) continue;
                Apply(display, window, one->style);
                watched.erase(one);
                break;
            }
            if (watched.empty()) return;
        }
    }

    std::mutex lock_;
    std::vector<Watched> added_;
    bool running_ = false;
};

} // namespace

void ApplyWindowStyleLater(pid_t pid, int32_t style) {
    if (style == 1 || style == 4) return;
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return;
    static StyleWatcher* const watcher = new StyleWatcher(); // lives as long as its detached thread may
    watcher->Add(pid, style);
}
