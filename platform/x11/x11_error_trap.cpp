// The error trap: a counting handler installed for the lifetime of the trap.
#include "x11_error_trap.h"

#include <X11/Xlib.h>

namespace {

unsigned long errorCount = 0;

int CountError(Display*, XErrorEvent*) {
    ++errorCount;
    return 0;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = reinterpret_cast<Handler>(XSetErrorHandler(CountError));
    errorsBefore_ = errorCount;
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous_));
}

bool X11ErrorTrap::Failed() {
    XSync(display_, False);
    return errorCount != errorsBefore_;
}
