// The top-level window at a screen pixel on X11: the clients walked from the top of the server's stack (the
// order GETWINID searches), the first whose viewable frame contains the pixel, described with the same class,
// instance and title GETWINID matches and the outer frame GetPlacement reports.
#include "codepage.h"
#include "x11_error_trap.h"
#include "x11_stacking.h"
#include "x11_windows.h"

#include <X11/Xlib.h>

bool X11Windows::TopLevelAt(int32_t x, int32_t y, XID lookedThrough, WindowDescription& out) {
    X11ErrorTrap trap(display_);
    // Menus, tooltips and other windows the window manager does not manage are not among the clients, so
    // they are looked through: GETWINID never gives them.
    for (const StackedClient& stacked : StackedClients(display_, atoms_)) {
        if (stacked.topLevel == 0) continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, stacked.topLevel, &attributes) == 0) continue;
        if (attributes.map_state != IsViewable || attributes.c_class == InputOnly) continue;
        const int32_t border = attributes.border_width;
        const Rect rect{attributes.x, attributes.y, attributes.x + attributes.width + 2 * border,
                        attributes.y + attributes.height + 2 * border};
        if (x < rect.left || y < rect.top || x >= rect.right || y >= rect.bottom) continue;
        if (lookedThrough != 0 && (stacked.client == lookedThrough || stacked.topLevel == lookedThrough))
            continue;
        Describe(stacked.client, stacked.topLevel, rect, out);
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
