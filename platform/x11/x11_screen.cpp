// Screen reading on X11. Not built yet: the screen has no size and no pixel can be read; the screen
// built-ins are not registered until this is in place.
#include "x11_screen.h"

X11Screen::X11Screen(Display* display) : display_(display) {}
X11Screen::~X11Screen() = default;

void X11Screen::Size(int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
}

int32_t X11Screen::ReadPixel(int32_t, int32_t) {
    return -1;
}

int X11Screen::Capture(PixelGrid& out) {
    out = PixelGrid{};
    return 5;
}
