// The screen of the Win32 desktop: its size, one pixel, and a capture of the whole primary screen.
#pragma once

#include "desktop_platform.h"

#include <cstdint>

namespace Win32Screen {

// Size of the primary screen in pixels.
void Size(int32_t& width, int32_t& height);
// The primary monitor's rectangle (mouse_event's absolute space); false when there is no screen.
bool PrimaryMonitor(ScreenRect& out);
// GetPixel on the screen: 0x00BBGGRR, or -1 outside the screen.
int32_t ReadPixel(int32_t x, int32_t y);
// Copies the primary screen with BitBlt and reads it with GetDIBits, top row first (no clipboard). Returns 0,
// 6 when the picture is too large for a 32-bit byte count, 5 when the system refuses the copy.
int Capture(PixelGrid& out);
// A rectangle of the primary screen, the same pixels Capture gives there, black outside the screen. Returns
// 0, or 5 for an empty rectangle, one larger than kMaxRegionScreens screens, or a copy the system refuses.
int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out);
inline constexpr int64_t kMaxRegionScreens = 4;

} // namespace Win32Screen
