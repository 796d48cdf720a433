// X11Screen: the screen of an X display as the screen built-ins see it: its size, single pixels and whole
// captures of what it shows.
#pragma once

#include "desktop_platform.h"

#include <cstdint>

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
    // Colour as 0x00BBGGRR, -1 outside the screen.
    int32_t ReadPixel(int32_t x, int32_t y);
    // What the screen shows, windows included; returns 0 or a failure number.
    int Capture(PixelGrid& out);

  private:
    Display* display_;
};
