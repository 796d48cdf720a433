// Whether a key is still down on the test display, read with XQueryKeymap on a connection of the test's
// own, as a user's next key press would find the keyboard.
#pragma once

// Xlib after GoogleTest and Qt, whose names its macros (None, Bool, Status) would break.
#include <X11/Xlib.h>

inline bool AnyKeyDown() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return true;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    XCloseDisplay(display);
    for (char byte : keys)
        if (byte != 0) return true;
    return false;
}
