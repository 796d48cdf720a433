// Pointer motion and buttons through XTest, with exact relative motion and the absolute-space mapping.
#include "x11_mouse.h"

#include "x11_input_watchdog.h"

#include "absolute_mouse_space.h"
#include "desktop_platform.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

namespace {

struct ButtonBit {
    uint32_t flag;
    unsigned int button;
    bool down;
};
// X buttons: 1 left, 2 middle, 3 right.
constexpr ButtonBit kButtonBits[] = {
    {DesktopPlatform::kMouseLeftDown, 1, true},   {DesktopPlatform::kMouseLeftUp, 1, false},
    {DesktopPlatform::kMouseRightDown, 3, true},  {DesktopPlatform::kMouseRightUp, 3, false},
    {DesktopPlatform::kMouseMiddleDown, 2, true}, {DesktopPlatform::kMouseMiddleUp, 2, false},
};

} // namespace

void X11Mouse::Send(uint32_t flags, int32_t dx, int32_t dy) {
    if ((flags & DesktopPlatform::kMouseMove) != 0) {
        if ((flags & DesktopPlatform::kMouseAbsolute) != 0)
            MoveAbsolute(dx, dy);
        else
            MoveRelative(dx, dy);
    }
    for (const ButtonBit& bit : kButtonBits)
        if ((flags & bit.flag) != 0) Button(bit.button, bit.down);
    XSync(display_, False);
}

void X11Mouse::Place(int32_t x, int32_t y) {
    const int screen = DefaultScreen(display_);
    const int32_t width = DisplayWidth(display_, screen);
    const int32_t height = DisplayHeight(display_, screen);
    XTestFakeMotionEvent(display_, screen, std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1),
                         CurrentTime);
    XSync(display_, False);
}

bool X11Mouse::Position(int32_t& x, int32_t& y) {
    return QueryPointerPosition(display_, x, y);
}

bool QueryPointerPosition(Display* display, int32_t& x, int32_t& y) {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    const bool sameScreen = XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY,
                                          &winX, &winY, &mask) != False;
    x = rootX;
    y = rootY;
    return sameScreen;
}

void X11Mouse::MoveRelative(int32_t dx, int32_t dy) {
    int32_t rootX = 0;
    int32_t rootY = 0;
    Position(rootX, rootY);
    const int64_t x = static_cast<int64_t>(rootX) + dx;
    const int64_t y = static_cast<int64_t>(rootY) + dy;
    Place(static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
          static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

// Positions outside 0..65535 reach the other monitors: a position recorded there comes back to its pixel.
// Only the screen's edge stops the pointer.
void X11Mouse::MoveAbsolute(int32_t ax, int32_t ay) {
    const ScreenRect primary = monitors_.Primary();
    Place(PixelOfAbsolutePosition(ax, primary.left, primary.width),
          PixelOfAbsolutePosition(ay, primary.top, primary.height));
}

void X11Mouse::Button(unsigned int button, bool down) {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    InputWatchdog::ButtonHeld(button, down);
}
