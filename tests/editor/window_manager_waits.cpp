// Waits for the window manager's answers, read from the X server over a connection of the test's own, while
// Qt's events are processed.
#include "window_manager_waits.h"

#include "editor_test_support.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <thread>
#include <vector>

namespace editor_testing {

namespace {

// Far beyond any answer of a window manager, even on a machine loaded with other tests: only a hang gets
// here.
constexpr int kHangGuardMs = 60000;

class ServerConnection {
  public:
    ServerConnection() : display_(XOpenDisplay(nullptr)) {}
    ~ServerConnection() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    bool IsOpen() const { return display_ != nullptr; }

    bool HasFrameExtents(Window window) const {
        const Atom extents = XInternAtom(display_, "_NET_FRAME_EXTENTS", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display_, window, extents, 0, 4, False, XA_CARDINAL, &type,
                                              &format, &count, &after, &data);
        if (data != nullptr) XFree(data);
        return status == Success && type == XA_CARDINAL && count == 4;
    }

    QSize Size(Window window) const {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned int width = 0;
        unsigned int height = 0;
        unsigned int border = 0;
        unsigned int depth = 0;
        if (XGetGeometry(display_, window, &root, &x, &y, &width, &height, &border, &depth) == 0) return {};
        return QSize(static_cast<int>(width), static_cast<int>(height));
    }

    QRect ClientRect(Window window) const {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, window, &attributes) == 0 || attributes.map_state != IsViewable)
            return {};
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        return QRect(x, y, attributes.width, attributes.height);
    }

    bool HasStates(Window window, const std::vector<const char*>& names) const {
        const Atom state = XInternAtom(display_, "_NET_WM_STATE", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                               &data) != Success)
            return false;
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        bool all = data != nullptr;
        for (const char* name : names) {
            const Atom wanted = XInternAtom(display_, name, False);
            bool present = false;
            for (unsigned long i = 0; i < count && !present; ++i) present = atoms[i] == wanted;
            all = all && present;
        }
        if (data != nullptr) XFree(data);
        return all;
    }

  private:
    Display* display_;
};

} // namespace

bool WaitUntilFramed(QWidget& window) {
    const ServerConnection server;
    if (!server.IsOpen()) return false;
    const auto id = static_cast<Window>(window.winId());
    return WaitFor([&] { return window.isVisible() && server.HasFrameExtents(id); }, kHangGuardMs);
}

bool WaitForServerSize(QWidget& window, QSize size, const std::function<bool()>& check) {
    const ServerConnection server;
    if (!server.IsOpen()) return false;
    const auto id = static_cast<Window>(window.winId());
    return WaitFor([&] { return server.Size(id) == size && window.size() == size && check(); }, kHangGuardMs);
}

bool ServerReaches(QWidget& window, QSize size) {
    const ServerConnection server;
    if (!server.IsOpen()) return false;
    const auto id = static_cast<Window>(window.winId());
    const auto start = std::chrono::steady_clock::now();
    while (server.Size(id) != size) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kHangGuardMs)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void FlushRequests() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 != nullptr) XFlush(x11->display());
}

QRect ServerClientRect(QWidget& window) {
    const ServerConnection server;
    return server.IsOpen() ? server.ClientRect(static_cast<Window>(window.winId())) : QRect();
}

bool ServerMaximised(QWidget& window) {
    const ServerConnection server;
    return server.IsOpen() &&
           server.HasStates(static_cast<Window>(window.winId()),
                            {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
}

QSize ServerSize(QWidget& window) {
    const ServerConnection server;
    return server.IsOpen() ? server.Size(static_cast<Window>(window.winId())) : QSize();
}

} // namespace editor_testing
