// The window styles of SHELL on X11: a watcher thread with its own display connection finds the new
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

void Watch(pid_t pid, int32_t style) {
    std::atomic<bool> lost{false};
    Display* display = OpenWatcherDisplay(lost);
    if (display == nullptr) return;
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const auto end = std::chrono::steady_clock::now() + kWatchFor;
    // The watch ends when the window is found, when the program has ended, when the display has gone away,
    // or after kWatchFor.
    while (std::chrono::steady_clock::now() < end && kill(pid, 0) == 0 && !lost.load()) {
        for (Window window : TopLevelWindows(display)) {
            if (!HasProcessId(display, window, pidAtom, pid)) continue;
            Apply(display, window, style);
            CloseWatcherDisplay(display);
            return;
        }
        std::this_thread::sleep_for(kLookEvery);
    }
    CloseWatcherDisplay(display);
}

} // namespace

void ApplyWindowStyleLater(pid_t pid, int32_t style) {
    if (style == 1 || style == 4) return;
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return;
    try {
        std::thread(Watch, pid, style).detach();
    } catch (const std::system_error&) {
        // No thread to watch with: the program keeps the window it opens.
    }
}
