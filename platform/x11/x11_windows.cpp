// The window functions on X11: the clients topmost first, WM_CLASS and title matching, outer-frame geometry
// from _NET_FRAME_EXTENTS, _NET_MOVERESIZE_WINDOW, _NET_WM_STATE, iconify, activation and WM_DELETE_WINDOW.
#include "x11_windows.h"

#include "window_waits.h"
#include "x11_error_trap.h"
#include "x11_stacking.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace {

constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
constexpr long kSourcePager = 2;
constexpr long kWmStateNormal = 1;
constexpr long kWmStateIconic = 3;

} // namespace

X11Windows::X11Windows(Display* display) : display_(display), atoms_(display) {}

template <typename Condition> bool X11Windows::WaitFor(Condition condition, int milliseconds) {
    return PollUntil(
        [&] {
            XSync(display_, False);
            return condition();
        },
        milliseconds);
}

bool X11Windows::HasWindowManager() {
    const std::vector<unsigned long> check =
        ReadLongs(display_, DefaultRootWindow(display_), atoms_.supportingWmCheck);
    return !check.empty() && check[0] != 0;
}

bool X11Windows::WmSupports(Atom atom) {
    return HasWindowManager() &&
           HasAtom(ReadLongs(display_, DefaultRootWindow(display_), atoms_.supported), atom);
}

// Topmost first, in the X server's own stacking order.
std::vector<XID> X11Windows::ClientWindows() {
    std::vector<XID> clients;
    for (const StackedClient& stacked : StackedClients(display_, atoms_)) clients.push_back(stacked.client);
    return clients;
}

// The window manager's list names its clients; only without one is the window tree walked.
bool X11Windows::IsClient(XID window) {
    if (window == 0) return false;
    std::vector<XID> clients = ListedClients(display_, atoms_);
    if (clients.empty()) clients = ClientWindows();
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

int32_t X11Windows::Find(const std::string& className, const std::string* title) {
    X11ErrorTrap trap(display_);
    for (XID window : ClientWindows()) {
        std::string instance;
        std::string windowClass;
        if (!ReadClass(display_, window, instance, windowClass)) continue;
        if (instance != className && windowClass != className) continue;
        if (title != nullptr) {
            std::string netTitle;
            std::string wmName;
            const bool netMatch = ReadNetTitle(display_, atoms_, window, netTitle) && netTitle == *title;
            const bool wmMatch = ReadWmName(display_, atoms_, window, wmName) && wmName == *title;
            if (!netMatch && !wmMatch) continue;
        }
        return static_cast<int32_t>(window);
    }
    return 0;
}

// The outer frame in root coordinates: the client's area, its border and the frame extents around them.
bool X11Windows::OuterRect(XID window, Rect& out) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0) return false;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child))
        return false;
    const FrameExtents frame = ReadFrameExtents(display_, atoms_, window);
    const int32_t border = attributes.border_width;
    out.left = static_cast<int32_t>(x - border - frame.left);
    out.top = static_cast<int32_t>(y - border - frame.top);
    out.right = static_cast<int32_t>(x + attributes.width + border + frame.right);
    out.bottom = static_cast<int32_t>(y + attributes.height + border + frame.bottom);
    return true;
}

bool X11Windows::IsShown(XID window) {
    if (HasAtom(ReadLongs(display_, window, atoms_.netWmState), atoms_.hidden)) return false;
    const long state = ReadWmState(display_, atoms_, window);
    if (state == kWmStateIconic) return false;
    if (state == kWmStateNormal) return true;
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state != IsUnmapped;
}

bool X11Windows::IsMaximized(XID window) {
    const std::vector<unsigned long> state = ReadLongs(display_, window, atoms_.netWmState);
    return HasAtom(state, atoms_.maximizedVert) && HasAtom(state, atoms_.maximizedHorz);
}

bool X11Windows::Placement(int32_t window, WindowPlacement& out) {
    X11ErrorTrap trap(display_);
    const XID id = static_cast<XID>(static_cast<uint32_t>(window));
    if (!IsClient(id)) return false;
    Rect rect;
    if (!OuterRect(id, rect)) return false;
    out.showState = !IsShown(id) ? 2 : IsMaximized(id) ? 3 : 1;
    out.left = rect.left;
    out.top = rect.top;
    out.right = rect.right;
    out.bottom = rect.bottom;
    return !trap.Failed();
}

void X11Windows::SendToRoot(XID window, Atom type, long a, long b, long c, long d, long e) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = a;
    event.xclient.data.l[1] = b;
    event.xclient.data.l[2] = c;
    event.xclient.data.l[3] = d;
    event.xclient.data.l[4] = e;
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11Windows::Show(XID window) {
    if (IsShown(window)) return;
    XMapWindow(display_, window);
    if (HasWindowManager()) WaitFor([&] { return IsShown(window); });
}

// The frame lands at (x, y) with the given outer size; the client gets that size less the frame and border.
void X11Windows::Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    X11ErrorTrap trap(display_);
    const XID id = static_cast<XID>(static_cast<uint32_t>(window));
    if (!IsClient(id)) return;
    Show(id);
    // A maximised window keeps its maximised geometry whatever it is asked; an explicit place and size
    // ends the maximised state first.
    if (IsMaximized(id)) {
        SetMaximized(id, false);
        if (HasWindowManager()) WaitFor([&] { return !IsMaximized(id); });
    }
    Rect before;
    if (!OuterRect(id, before)) return;
    const Rect target{x, y, x + width, y + height};
    if (before == target) return;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, id, &attributes);
    const FrameExtents frame = ReadFrameExtents(display_, atoms_, id);
    const long clientWidth =
        std::max<long>(1, width - frame.left - frame.right - 2L * attributes.border_width);
    const long clientHeight =
        std::max<long>(1, height - frame.top - frame.bottom - 2L * attributes.border_width);
    if (WmSupports(atoms_.moveResizeWindow)) {
        // North-west gravity: (x, y) is where the frame's top-left corner goes.
        const long flags = NorthWestGravity | (0xFL << 8) | (kSourcePager << 12);
        SendToRoot(id, atoms_.moveResizeWindow, flags, x, y, clientWidth, clientHeight);
    } else {
        XMoveResizeWindow(display_, id, x, y, static_cast<unsigned int>(clientWidth),
                          static_cast<unsigned int>(clientHeight));
    }
    // Done when the frame is where it was asked to be, or when the window manager has settled on a
    // geometry of its own.
    auto placementOf = [](const Rect& r) { return WindowPlacement{0, r.left, r.top, r.right, r.bottom}; };
    WaitForNewPlacement(
        [&](WindowPlacement& now) {
            XSync(display_, False);
            Rect rect;
            if (!OuterRect(id, rect)) return false;
            now = placementOf(rect);
            return true;
        },
        placementOf(target), placementOf(before), 1500);
}

void X11Windows::SetMaximized(XID window, bool on) {
    SendToRoot(window, atoms_.netWmState, on ? kStateAdd : kStateRemove,
               static_cast<long>(atoms_.maximizedVert), static_cast<long>(atoms_.maximizedHorz), kSourcePager,
               0);
}

// Asks the application to close its window, as its own close button would; one that does not take part in
// WM_DELETE_WINDOW is left alone rather than killed.
void X11Windows::Close(XID window) {
    if (!HasAtom(ReadLongs(display_, window, atoms_.wmProtocols), atoms_.wmDeleteWindow)) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atoms_.wmProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atoms_.wmDeleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
}

int32_t X11Windows::Command(int32_t window, int32_t command) {
    X11ErrorTrap trap(display_);
    const XID id = static_cast<XID>(static_cast<uint32_t>(window));
    if (!IsClient(id)) return 0;
    const bool managed = HasWindowManager();
    switch (WindowCommandOf(command)) {
    case WindowCommand::Maximize:
        Show(id);
        SetMaximized(id, true);
        if (managed) WaitFor([&] { return IsMaximized(id); });
        break;
    case WindowCommand::Minimize:
        XIconifyWindow(display_, id, DefaultScreen(display_));
        if (managed) WaitFor([&] { return !IsShown(id); });
        break;
    case WindowCommand::Restore:
        SetMaximized(id, false);
        Show(id);
        SendToRoot(id, atoms_.activeWindow, kSourcePager, CurrentTime, 0, 0, 0);
        if (managed) WaitFor([&] { return IsShown(id) && !IsMaximized(id); });
        break;
    case WindowCommand::Close:
        Close(id);
        break;
    case WindowCommand::Other:
        break;
    }
    XSync(display_, False);
    return 0;
}
