// Tests of SHELL window styles on a real X server with a window manager: xterm started maximised, minimised,
// hidden or normal ends up that way, as the window manager reports it.
#include "process_starter.h"
#include "x11_window_style.h"

// GoogleTest first: Xlib's None macro would break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<unsigned long> ListProperty(Display* display, Window window, const char* name, Atom kind) {
    std::vector<unsigned long> values;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, kind, &type,
                           &format, &count, &after, &data) == Success &&
        format == 32 && data != nullptr) {
        const auto* list = reinterpret_cast<const unsigned long*>(data);
        values.assign(list, list + count);
    }
    if (data != nullptr) XFree(data);
    return values;
}

// Every window up to two levels below the root (clients sit inside the window manager's frames).
std::vector<Window> WindowsNearRoot(Display* display) {
    std::vector<Window> out;
    std::function<void(Window, int)> walk = [&](Window window, int depth) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return;
        for (unsigned int i = 0; i < count; ++i) {
            out.push_back(children[i]);
            if (depth < 2) walk(children[i], depth + 1);
        }
        if (children != nullptr) XFree(children);
    };
    walk(DefaultRootWindow(display), 1);
    return out;
}

Window WindowOfProcess(Display* display, pid_t pid) {
    for (Window w : WindowsNearRoot(display)) {
        auto pids = ListProperty(display, w, "_NET_WM_PID", XA_CARDINAL);
        if (pids.size() == 1 && pids[0] == static_cast<unsigned long>(pid)) return w;
    }
    return 0;
}

bool Managed(Display* display, Window window) {
    auto clients = ListProperty(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW);
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

bool HasState(Display* display, Window window, const char* state) {
    auto states = ListProperty(display, window, "_NET_WM_STATE", XA_ATOM);
    const Atom wanted = XInternAtom(display, state, False);
    return std::find(states.begin(), states.end(), wanted) != states.end();
}

bool Iconic(Display* display, Window window) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    auto values = ListProperty(display, window, "WM_STATE", wmState);
    return !values.empty() && values[0] == IconicState;
}

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

class WindowStyle : public ::testing::Test {
  protected:
    void SetUp() override {
        SetWindowStyleStep(ApplyWindowStyleLater); // as the platform's factory sets it
        XSetErrorHandler(IgnoreErrors);
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr) << "these tests need an X display";
    }
    void TearDown() override {
        if (pid_ > 0) kill(pid_, SIGTERM);
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    // Starts xterm with the style and returns its window once the window manager manages it or the
    // timeout passes (0 then).
    Window Start(int32_t style) {
        double id = 0;
        EXPECT_EQ(starter_.Start(u"xterm -T qm-style", style, id), 0);
        pid_ = static_cast<pid_t>(id);
        const auto end = Clock::now() + std::chrono::seconds(15);
        while (Clock::now() < end) {
            Window w = WindowOfProcess(display_, pid_);
            if (w != 0) return w;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }
    // Waits until the condition holds; false after the timeout.
    bool Eventually(const std::function<bool()>& condition) {
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    Display* display_ = nullptr;
    ProcessStarter starter_;
    pid_t pid_ = 0;
};

} // namespace

TEST_F(WindowStyle, MaximisedWithStyle3) {
    const Window w = Start(3);
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(Eventually([&] {
        return HasState(display_, w, "_NET_WM_STATE_MAXIMIZED_VERT") &&
               HasState(display_, w, "_NET_WM_STATE_MAXIMIZED_HORZ");
    }));
}

TEST_F(WindowStyle, MinimisedWithStyles2And6) {
    for (int32_t style : {2, 6}) {
        const Window w = Start(style);
        ASSERT_NE(w, 0u) << style;
        EXPECT_TRUE(Eventually([&] { return Iconic(display_, w); })) << style;
        kill(pid_, SIGTERM);
    }
}

TEST_F(WindowStyle, HiddenWithStyle0) {
    const Window w = Start(0);
    ASSERT_NE(w, 0u);
    // A window that is still unmapped and unmanaged two seconds after it appeared has been withdrawn (xterm
    // maps its window at once).
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(Eventually([&] { return !Viewable(display_, w) && !Managed(display_, w); }));
    EXPECT_EQ(kill(pid_, 0), 0); // the program runs on
}

TEST_F(WindowStyle, NormalWithStyles1And4) {
    for (int32_t style : {1, 4}) {
        const Window w = Start(style);
        ASSERT_NE(w, 0u) << style;
        ASSERT_TRUE(Eventually([&] { return Managed(display_, w) && Viewable(display_, w); })) << style;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_TRUE(Viewable(display_, w)) << style;
        EXPECT_FALSE(Iconic(display_, w)) << style;
        EXPECT_FALSE(HasState(display_, w, "_NET_WM_STATE_MAXIMIZED_VERT")) << style;
        kill(pid_, SIGTERM);
    }
}

namespace {

// Entries of a folder of /proc/self: the process's threads (task) or open descriptors (fd).
size_t CountOf(const char* folder) {
    size_t count = 0;
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        closedir(dir);
    }
    return count;
}

} // namespace

// Many programs started with a style that open no window (yet): one watcher thread with one connection waits
// for all of them, instead of a thread and an X connection each (300 starts used up the server's clients),
// and it still styles a window that comes while the others wait.
TEST_F(WindowStyle, ManyStartsShareOneWatcher) {
    const size_t threadsBefore = CountOf("/proc/self/task");
    const size_t descriptorsBefore = CountOf("/proc/self/fd");
    std::vector<pid_t> sleepers;
    for (int i = 0; i < 40; ++i) {
        double id = 0;
        ASSERT_EQ(starter_.Start(u"sleep 60", 2, id), 0);
        sleepers.push_back(static_cast<pid_t>(id));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // One reaper thread and one watcher thread; one connection of the watcher's.
    EXPECT_LE(CountOf("/proc/self/task"), threadsBefore + 3);
    EXPECT_LE(CountOf("/proc/self/fd"), descriptorsBefore + 3);

    const Window w = Start(3);
    ASSERT_NE(w, 0u);
    EXPECT_TRUE(Eventually([&] {
        return HasState(display_, w, "_NET_WM_STATE_MAXIMIZED_VERT") &&
               HasState(display_, w, "_NET_WM_STATE_MAXIMIZED_HORZ");
    }));
    for (pid_t sleeper : sleepers) kill(sleeper, SIGTERM);
}
