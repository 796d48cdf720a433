// The desktop platform of the programs on Windows: the Win32 realisation of every desktop operation, for the
// editor window (which creates it through the same factory as on Linux).
#include "desktop_platform_factory.h"

#include "win32_desktop_platform.h"

std::unique_ptr<DesktopPlatform> CreateDesktopPlatform() {
    return std::make_unique<Win32DesktopPlatform>();
}

// Keys sent with SendInput are not held for a process that has ended: there is nothing to watch.
void EnableInputWatchdog() {}
