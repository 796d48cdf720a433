// CreateDesktopPlatform: the desktop platform of the system the program runs on, for the programs and the
// desktop tests.
#pragma once

#include "desktop_platform.h"

#include <memory>

// Opens the X display named by DISPLAY. Without one, or when it cannot be opened, the platform answers
// HasDisplay() false at once; processes, the clock and sound still work.
std::unique_ptr<DesktopPlatform> CreateDesktopPlatform();
