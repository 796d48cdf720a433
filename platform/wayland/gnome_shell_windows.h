// CreateGnomeShellWindows: the top-level windows of a GNOME Shell desktop, reached through the D-Bus service
// of this program's GNOME Shell extension (GNOME itself offers other programs no window interface).
#pragma once

#include "compositor_session.h"

#include <memory>

std::unique_ptr<CompositorWindows> CreateGnomeShellWindows();
