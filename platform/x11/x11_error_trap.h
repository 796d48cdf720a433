// X11ErrorTrap: while it lives, X protocol errors (a window that vanished between two requests) are counted
// instead of ending the program, as Xlib's default handler would.
#pragma once

typedef struct _XDisplay Display;

class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display);
    // Waits for the replies of every request made meanwhile, then puts the previous handler back.
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // True when an error arrived since the trap was set (after waiting for the pending replies).
    bool Failed();

  private:
    // Xlib's handler type names an unnamed struct, so the previous handler is kept in a generic form.
    using Handler = void (*)();
    Display* display_;
    Handler previous_;
    unsigned long errorsBefore_;
};
