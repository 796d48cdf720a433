// X11Monitors: the monitors of an X screen as RandR 1.5 names them: the primary one, which MUS's absolute
// space spans, whether a pixel of the screen is shown by any monitor at all, and whether the server is
// Xwayland.
#pragma once

#include "desktop_platform.h"

#include <vector>

typedef struct _XDisplay Display;

class X11Monitors {
  public:
    // The display stays open for the object's whole life; it belongs to the caller.
    explicit X11Monitors(Display* display);

    struct Monitor {
        ScreenRect rect;
        bool primary = false;
    };
    // The active monitors, asked each time (monitors come and go at run time); empty when the server has no
    // RandR 1.5.
    std::vector<Monitor> List();
    // The monitor RandR flags primary; the whole screen when it flags none or knows no monitors.
    ScreenRect Primary();
    // False for a pixel inside the screen that no monitor shows (below a shorter monitor beside a taller
    // one); true on every monitor, and everywhere when no monitors are known. Pixels outside the screen are
    // the caller's to reject.
    bool Shows(int32_t x, int32_t y);
    // True when the server is Xwayland, the X server of a Wayland desktop, which names its outputs
    // XWAYLAND0, XWAYLAND1…: its root window shows no other program's pixels, and its keys and clicks reach
    // its own X clients only.
    bool ServedByXwayland() const { return xwayland_; }

  private:
    ScreenRect WholeScreen();

    Display* display_;
    bool hasMonitors_ = false;
    bool xwayland_ = false;
};
