// CreateWaylandDesktopPlatform: the desktop platform of the Wayland compositor named by WAYLAND_DISPLAY,
// with the session of the kind of compositor it is.
#pragma once

#include "desktop_platform.h"

#include <memory>

// Null when no compositor answers, or when `evenWithoutSession` is false and the compositor offers none of
// the interfaces this program drives (then X11, through Xwayland, is the better choice).
std::unique_ptr<DesktopPlatform> CreateWaylandDesktopPlatform(bool evenWithoutSession);
