// X11Screen: the screen of an X display as the screen built-ins see it: its size, single pixels and whole
// captures of what it shows.
#pragma once

#include "desktop_platform.h"
#include "x11_monitors.h"

#include <cstdint>
#include <memory>

typedef struct _XDisplay Display;

class X11Screen {
  public:
    // The display stays open for the object's whole life; it belongs to the caller.
    explicit X11Screen(Display* display);
    ~X11Screen();
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    // The whole X screen (all monitors), in pixels.
    void Size(int32_t& width, int32_t& height);
    // Colour as 0x00BBGGRR; -1 outside the screen, and inside it where no monitor shows the pixel (as
    // Windows' GetPixel answers there).
    int32_t ReadPixel(int32_t x, int32_t y);
    // What the screen shows, windows included; returns 0 or a failure number.
    int Capture(PixelGrid& out);
    // What a rectangle of the screen shows, the same pixels Capture gives there, black outside the screen;
    // 5 for an empty rectangle or one larger than kMaxRegionScreens screens.
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out);
    static constexpr int64_t kMaxRegionScreens = 4;

    // Captures go through a shared-memory image when the server offers one (the default), otherwise through
    // a plain image request. Turning it off releases the shared image.
    void UseSharedMemory(bool use);
    // The server has gone away: the shared image is let go on this side only, without a request.
    void ForgetServer();
    // True when the last capture went through shared memory.
    bool LastCaptureShared() const { return lastShared_; }

  private:
    struct SharedImage;
    bool CaptureShared(int32_t width, int32_t height, PixelGrid& out);
    bool CapturePlain(int32_t x, int32_t y, int32_t width, int32_t height, PixelGrid& out);

    Display* display_;
    X11Monitors monitors_;
    std::unique_ptr<SharedImage> shared_;
    bool sharedAllowed_ = true;
    bool lastShared_ = false;
};
