// The top-level window at a screen pixel on X11: the root's children walked from the top of the stack, the
// first viewable one containing the pixel whose client GETWINID can find, described with the same class,
// instance and title GETWINID matches and the outer frame GetPlacement reports.
#include "codepage.h"
#include "x11_error_trap.h"
#include "x11_windows.h"

#include <X11/Xlib.h>

#include <algorithm>

XID X11Windows::ClientOf(XID topLevel) {
    std::vector<XID> found;
    CollectFromTree(topLevel, found, kTreeDepth);
    return found.empty() ? topLevel : found.front();
}

bool X11Windows::TopLevelAt(int32_t x, int32_t y, XID lookedThrough, WindowDescription& out) {
    X11ErrorTrap trap(display_);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0)
        return false;
    // XQueryTree lists the stack from the bottom.
    std::vector<XID> stack(children, children + count);
    if (children != nullptr) XFree(children);
    std::reverse(stack.begin(), stack.end());
    const std::vector<XID> clients = ClientWindows();
    for (XID topLevel : stack) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, topLevel, &attributes) == 0) continue;
        if (attributes.map_state != IsViewable || attributes.c_class == InputOnly) continue;
        const int32_t border = attributes.border_width;
        const Rect rect{attributes.x, attributes.y, attributes.x + attributes.width + 2 * border,
                        attributes.y + attributes.height + 2 * border};
        if (x < rect.left || y < rect.top || x >= rect.right || y >= rect.bottom) continue;
        const XID client = ClientOf(topLevel);
        // Menus, tooltips and other windows the window manager does not manage are looked through: GETWINID
        // never gives them.
        if (std::find(clients.begin(), clients.end(), client) == clients.end()) continue;
        if (lookedThrough != 0 && (client == lookedThrough || topLevel == lookedThrough)) continue;
        Describe(client, topLevel, rect, out);
        return !trap.Failed();
    }
    return false;
}

void X11Windows::Describe(XID client, XID topLevel, const Rect& topLevelRect, WindowDescription& out) {
    out = WindowDescription{};
    out.window = static_cast<int32_t>(client);
    std::string instance;
    std::string className;
    if (ReadClass(display_, client, instance, className)) {
        out.className = FromUtf8(className);
        out.instanceName = FromUtf8(instance);
    }
    std::string title;
    if (ReadNetTitle(display_, atoms_, client, title) || ReadWmName(display_, atoms_, client, title))
        out.title = FromUtf8(title);
    out.placement.showState = !IsShown(client) ? 2 : IsMaximized(client) ? 3 : 1;
    // The frame as SETWIN places it (the client with the frame extents the window manager announces);
    // without extents, the window the manager has put the client into.
    Rect rect = topLevelRect;
    if (client == topLevel || ReadLongs(display_, client, atoms_.frameExtents).size() >= 4)
        OuterRect(client, rect);
    out.placement.left = rect.left;
    out.placement.top = rect.top;
    out.placement.right = rect.right;
    out.placement.bottom = rect.bottom;
}
