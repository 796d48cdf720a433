// Screen size, pixel reads and screen and region captures through gdi32: a compatible bitmap receives a
// BitBlt of the screen and GetDIBits reads it as 32-bit rows, top row first.
#include "win32_screen.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Holds the screen's drawing context for the length of one operation.
class ScreenContext {
  public:
    ScreenContext() : context_(GetDC(nullptr)) {}
    ~ScreenContext() {
        if (context_ != nullptr) ReleaseDC(nullptr, context_);
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC Get() const { return context_; }

  private:
    HDC context_;
};

bool FitsByteCount(int32_t width, int32_t height) {
    return width >= 0 && height >= 0 &&
           static_cast<int64_t>(width) * height * 4 <= std::numeric_limits<int32_t>::max();
}

// Copies width × height pixels whose top-left corner is (left, top) on a drawing context into a grid, top
// row first. Only the part inside (0, 0)–(limitWidth, limitHeight) is copied; the rest stays black.
int CaptureContext(HDC source, int32_t left, int32_t top, int32_t width, int32_t height, int32_t limitWidth,
                   int32_t limitHeight, PixelGrid& out) {
    if (!FitsByteCount(width, height)) return 6;
    const HDC memory = CreateCompatibleDC(source);
    if (memory == nullptr) return 5;
    const HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    if (bitmap == nullptr) {
        DeleteDC(memory);
        return 5;
    }
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = PatBlt(memory, 0, 0, width, height, BLACKNESS);
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(left) + width, limitWidth);
    const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(top) + height, limitHeight);
    if (copied && x0 < x1 && y0 < y1)
        copied = BitBlt(memory, static_cast<int>(x0 - left), static_cast<int>(y0 - top),
                        static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), source, static_cast<int>(x0),
                        static_cast<int>(y0), SRCCOPY | CAPTUREBLT);
    SelectObject(memory, previous);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER); // 40
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    std::vector<uint8_t> pixels(info.bmiHeader.biSizeImage);
    const int rows =
        copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS)
               : 0;
    DeleteObject(bitmap);
    DeleteDC(memory);
    if (rows != height) return 5;
    // The fourth byte of each pixel is reserved: whatever the driver left there is cleared.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0;
    out.width = width;
    out.height = height;
    out.bgra = std::move(pixels);
    return 0;
}

} // namespace

namespace Win32Screen {

void Size(int32_t& width, int32_t& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
}

// The monitor that holds the point (0, 0) is the primary one; its corner is always there.
bool PrimaryMonitor(ScreenRect& out) {
    out = ScreenRect{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info) != 0) {
        out = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right - info.rcMonitor.left,
               info.rcMonitor.bottom - info.rcMonitor.top};
    } else {
        Size(out.width, out.height);
    }
    return out.width > 0 && out.height > 0;
}

int32_t ReadPixel(int32_t x, int32_t y) {
    ScreenContext screen;
    if (screen.Get() == nullptr) return -1;
    const COLORREF colour = GetPixel(screen.Get(), x, y);
    return colour == CLR_INVALID ? -1 : static_cast<int32_t>(colour & 0x00FFFFFF);
}

int Capture(PixelGrid& out) {
    int32_t width = 0;
    int32_t height = 0;
    Size(width, height);
    ScreenContext screen;
    if (screen.Get() == nullptr) return 5;
    return CaptureContext(screen.Get(), 0, 0, width, height, width, height, out);
}

int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    Size(screenWidth, screenHeight);
    const int64_t area = static_cast<int64_t>(width) * height;
    if (width <= 0 || height <= 0 || area > kMaxRegionScreens * screenWidth * screenHeight ||
        !FitsByteCount(width, height))
        return 5;
    ScreenContext screen;
    if (screen.Get() == nullptr) return 5;
    return CaptureContext(screen.Get(), left, top, width, height, screenWidth, screenHeight, out);
}

} // namespace Win32Screen
