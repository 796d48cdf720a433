// Which Wayland compositor this is: a wlroots compositor announces its virtual keyboard and pointer among
// the display's globals; GNOME's mutter offers its remote-desktop service on the session bus; KWin announces
// its fake input and screen cast to the programs it allows.
#include "wayland_platform_choice.h"

#include "wayland_desktop_platform.h"

#include <wayland-client.h>

std::unique_ptr<DesktopPlatform> CreateWaylandDesktopPlatform(bool evenWithoutSession) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<CompositorSession> session = OpenWlrootsSession(display);
    if (!session) session = OpenGnomeSession(display);
    if (!session) session = OpenKdeSession(display);
    if (!session && !evenWithoutSession) {
        wl_display_disconnect(display);
        return nullptr;
    }
    return std::make_unique<WaylandDesktopPlatform>(display, std::move(session));
}
