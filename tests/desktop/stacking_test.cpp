// Desktop tests of the stacking order GETWINID and the window at a point follow: three overlapping windows of
// one class raised, activated and clicked in turn, under openbox and under fluxbox (which never reorders its
// _NET_CLIENT_LIST_STACKING), each time the topmost one named by a macro and found where all three overlap.
#include "desktop_test_support.h"

#include <algorithm>
#include <array>
#include <memory>

using namespace desktop_testing;

namespace {

// What the macro's GETWINID and the platform's window at the overlap say is on top, as "getwinid/at".
std::string Topmost(DesktopMacro& macro) {
    macro.printed.clear();
    if (macro.Run({"PRINT GETWINID(\"QmStack\")"}) != 0 || macro.printed.size() != 1) return "run failed";
    WindowDescription found;
    const std::string at =
        macro.Desktop().TopLevelWindowAt(350, 320, found) ? std::to_string(found.window) : "none";
    return macro.printed[0] + "/" + at;
}

// The child of the root that holds a window.
::Window RootChildOf(Display* display, ::Window window) {
    while (true) {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return 0;
        if (children != nullptr) XFree(children);
        if (parent == root) return window;
        window = parent;
    }
}

// Which of the windows the X server stacks highest, asked directly.
unsigned long ServerTopmost(Display* display, const std::array<std::unique_ptr<Recorder>, 3>& windows) {
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
    const std::vector<::Window> stack(children, children + count);
    if (children != nullptr) XFree(children);
    unsigned long topmost = 0;
    size_t highest = 0;
    for (const auto& window : windows) {
        const auto at = std::find(stack.begin(), stack.end(), RootChildOf(display, window->Window()));
        const size_t place = static_cast<size_t>(at - stack.begin()) + 1;
        if (at != stack.end() && place > highest) {
            highest = place;
            topmost = window->Window();
        }
    }
    return topmost;
}

std::string Both(unsigned long window) {
    return std::to_string(window) + "/" + std::to_string(window);
}

} // namespace

// The name the window manager gives itself (_NET_WM_NAME of its check window).
std::string WindowManagerName() {
    const std::string check = Shell("xprop -root _NET_SUPPORTING_WM_CHECK");
    const size_t hash = check.find('#');
    if (hash == std::string::npos) return "";
    const std::string id = Words(check.substr(hash + 1)).empty() ? "" : Words(check.substr(hash + 1))[0];
    const std::string name = Shell("xprop -id " + id + " _NET_WM_NAME");
    const size_t quote = name.find('"');
    return quote == std::string::npos ? "" : name.substr(quote + 1, name.rfind('"') - quote - 1);
}

TEST(Stacking, TheRaisedWindowIsTopmostForGetWinIdAndTheWindowAtAPoint) {
    // Staggered, so that each has a corner of its own to click and all three cover (350, 320).
    const char* titles[] = {"stack a", "stack b", "stack c"};
    const std::pair<int, int> corners[] = {{100, 100}, {200, 200}, {300, 300}};
    const std::pair<int, int> ownPoints[] = {{130, 160}, {480, 260}, {560, 480}};
    std::array<std::unique_ptr<Recorder>, 3> windows;
    DesktopMacro macro;
    Probe probe;
    for (size_t i = 0; i < windows.size(); ++i) {
        windows[i] = std::make_unique<Recorder>("QmStack", titles[i], 300, 200);
        ASSERT_NE(windows[i]->Window(), 0u);
        ASSERT_TRUE(WaitUntil([&] { return WmState(windows[i]->Window()) == "Normal"; }));
        macro.Desktop().MoveWindow(static_cast<int32_t>(windows[i]->Window()), corners[i].first,
                                   corners[i].second, 320, 240);
    }
    // The last one mapped is on top.
    ASSERT_TRUE(WaitUntil([&] { return ServerTopmost(probe.Get(), windows) == windows[2]->Window(); }, 5000));
    EXPECT_EQ(Topmost(macro), Both(windows[2]->Window()));

    // Raised by the application's own request (which fluxbox does not grant), by activation as a pager or a
    // task bar does it, and by the user's click.
    const bool raiseGranted = WindowManagerName() != "Fluxbox";
    const std::pair<std::string, size_t> steps[] = {
        {"windowraise", 0}, {"click", 1},          {"windowactivate", 2}, {"windowactivate", 0},
        {"click", 2},       {"windowactivate", 1}, {"windowraise", 2},    {"click", 0}};
    int checked = 0;
    for (const auto& [action, index] : steps) {
        if (action == "windowraise" && !raiseGranted) continue;
        const unsigned long window = windows[index]->Window();
        if (action == "click")
            Shell("xdotool mousemove " + std::to_string(ownPoints[index].first) + " " +
                  std::to_string(ownPoints[index].second) + " click 1");
        else
            Shell("xdotool " + action + " " + std::to_string(window));
        // Only once the server has the window on top is the answer due; and then at once.
        ASSERT_TRUE(WaitUntil([&] { return ServerTopmost(probe.Get(), windows) == window; }, 5000))
            << action << " " << titles[index];
        EXPECT_EQ(Topmost(macro), Both(window)) << action << " " << titles[index];
        ++checked;
    }
    EXPECT_GE(checked, 6);
}
