// CreateDesktopPlatform: the desktop platform of the system the program runs on, for the programs and the
// desktop tests.
#pragma once

#include "desktop_platform.h"

#include <memory>

// Opens the X display named by DISPLAY. Without one, or when it cannot be opened, the platform answers
// HasDisplay() false at once; processes, the clock and sound still work.
std::unique_ptr<DesktopPlatform> CreateDesktopPlatform();

// Called by the QuillonMacro program itself (not by other programs that use the platform, such as tests):
// on X11 the keys and buttons a run holds are then watched by a small process started from the program,
// which lets go of them if the program is killed outright. Nothing on Windows.
void EnableInputWatchdog();

// The Linux program's start and its command-line run only (the Windows programs have their own entries and
// nothing of the kind to do), defined by the Linux factory:
// whether the program was started again by itself to be that watchdog (its only argument its own name); the
// program then runs RunAsInputWatchdog, which returns its exit status;
bool StartedAsInputWatchdog(int argc, const char* const* argv);
int RunAsInputWatchdog();
// after a toolkit has connected to the display and put in its own handlers (Qt's end the program when the
// server goes), the platform's own connections get back their handling of a lost server, so such a loss still
// ends a run with its code-7 lines.
void KeepDesktopConnectionsAfterToolkit();
