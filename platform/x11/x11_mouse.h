// X11Mouse: pointer motion and button events through XTest. Relative motion moves by exactly the given
// pixels (read the pointer, add, place: no pointer acceleration); the absolute space 0..65535 maps linearly
// onto the primary monitor's pixels and goes on at that scale beyond it, onto the other monitors.
#pragma once

#include "x11_monitors.h"

#include <cstdint>

typedef struct _XDisplay Display;

class X11Mouse {
  public:
    explicit X11Mouse(Display* display) : display_(display), monitors_(display) {}

    // One mouse event with the flag bits of DesktopPlatform: the move first, then the button bits in the
    // order left down, left up, right down, right up, middle down, middle up.
    void Send(uint32_t flags, int32_t dx, int32_t dy);
    // Places the pointer at a screen pixel (kept inside the screen).
    void Place(int32_t x, int32_t y);
    // The pointer's position on the screen; false when the pointer is on another screen of the display.
    bool Position(int32_t& x, int32_t& y);

  private:
    void MoveRelative(int32_t dx, int32_t dy);
    void MoveAbsolute(int32_t ax, int32_t ay);
    void Button(unsigned int button, bool down);

    Display* display_;
    X11Monitors monitors_;
};

// The pointer's position on the root of the display's default screen; false when the pointer is on another
// screen of the display.
bool QueryPointerPosition(Display* display, int32_t& x, int32_t& y);
