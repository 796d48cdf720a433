// The window operations of the Win32 desktop: finding a top-level window, reading its placement, moving and
// sizing it in one batch, and sending it a system command.
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <string>

namespace Win32Windows {

// FindWindowA (the wide form when a text has no exact ANSI code); 0 when no window matches.
int32_t Find(const std::u16string& className, const std::u16string* title);
// GetWindowPlacement; false when the handle names no window.
bool Placement(int32_t window, WindowPlacement& out);
// BeginDeferWindowPos / DeferWindowPos (keep z-order, show) / EndDeferWindowPos.
void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height);
// WM_SYSCOMMAND with the command; the window's answer, 0 for no window or a window that does not answer.
int32_t SystemCommand(int32_t window, int32_t command);
// The topmost visible top-level window whose window rectangle holds the screen pixel, passing over
// `lookedThrough` (0 none), with its class, title, show state and window rectangle; false when none.
bool TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out);

} // namespace Win32Windows
