// The RandR 1.5 monitor list of the default screen (XRRGetMonitors), the primary monitor in it, whether a
// pixel lies on a monitor, and whether the outputs are Xwayland's.
#include "x11_monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>

namespace {

// Xwayland names each output after the Wayland output it stands for, "XWAYLAND" and a number; no other X
// server does.
bool HasXwaylandOutputs(Display* display) {
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr) return false;
    bool xwayland = false;
    for (int i = 0; i < resources->noutput && !xwayland; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (output == nullptr) continue;
        xwayland = output->name != nullptr && std::strncmp(output->name, "XWAYLAND", 8) == 0;
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return xwayland;
}

} // namespace

X11Monitors::X11Monitors(Display* display) : display_(display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    hasMonitors_ = XRRQueryExtension(display_, &eventBase, &errorBase) &&
                   XRRQueryVersion(display_, &major, &minor) && (major > 1 || (major == 1 && minor >= 5));
    xwayland_ = hasMonitors_ && HasXwaylandOutputs(display_);
}

std::vector<X11Monitors::Monitor> X11Monitors::List() {
    std::vector<Monitor> out;
    if (!hasMonitors_) return out;
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display_, DefaultRootWindow(display_), True, &count);
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& info = monitors[i];
        if (info.width <= 0 || info.height <= 0) continue;
        out.push_back({{info.x, info.y, info.width, info.height}, info.primary != 0});
    }
    if (monitors != nullptr) XRRFreeMonitors(monitors);
    return out;
}

// Asked of the server, which knows a screen resized at run time; the connection's own figures do not.
ScreenRect X11Monitors::WholeScreen() {
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display_, DefaultRootWindow(display_), &root, &x, &y, &width, &height, &border, &depth))
        return {};
    return {0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

ScreenRect X11Monitors::Primary() {
    for (const Monitor& monitor : List())
        if (monitor.primary) return monitor.rect;
    return WholeScreen();
}

bool X11Monitors::Shows(int32_t x, int32_t y) {
    const std::vector<Monitor> monitors = List();
    if (monitors.empty()) return true;
    for (const Monitor& monitor : monitors) {
        const ScreenRect& r = monitor.rect;
        if (x >= r.left && y >= r.top && static_cast<int64_t>(x) < static_cast<int64_t>(r.left) + r.width &&
            static_cast<int64_t>(y) < static_cast<int64_t>(r.top) + r.height)
            return true;
    }
    return false;
}
