// The global stop key for X11: a passive grab of Pause on the root window, on a private display connection,
// for every modifier state, read by polling that connection.
#include "stop_hotkey.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// Grab failures arrive as asynchronous X errors; they are collected here while a grab is being set up.
bool grabRefused = false;

int NoteGrabError(Display*, XErrorEvent*) {
    grabRefused = true;
    return 0;
}

class X11StopHotkey : public StopHotkey {
  public:
    ~X11StopHotkey() override {
        Release();
        if (display_ != nullptr) XCloseDisplay(display_);
    }

    bool Grab() override {
        if (grabbed_) return true;
        if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) return false;
        keycode_ = XKeysymToKeycode(display_, XK_Pause);
        if (keycode_ == 0) return false;
        const Window root = DefaultRootWindow(display_);
        // One grab for any modifier state; when another program holds some combination, grab at least the
        // plain key with Caps Lock and Num Lock (Mod2) in every state.
        if (!TryGrab(root, AnyModifier)) {
            bool any = false;
            for (unsigned mods : {0u, unsigned{LockMask}, unsigned{Mod2Mask}, unsigned{LockMask | Mod2Mask}})
                any = TryGrab(root, mods) || any;
            if (!any) return false;
        }
        grabbed_ = true;
        pressed_ = false;
        return true;
    }

    void Release() override {
        if (!grabbed_ || display_ == nullptr) return;
        XUngrabKey(display_, keycode_, AnyModifier, DefaultRootWindow(display_));
        XSync(display_, True); // drops the key events still queued
        grabbed_ = false;
    }

    bool TakePressed() override {
        if (!grabbed_ || display_ == nullptr) return false;
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress && event.xkey.keycode == keycode_) pressed_ = true;
        }
        const bool was = pressed_;
        pressed_ = false;
        return was;
    }

  private:
    bool TryGrab(Window root, unsigned modifiers) {
        grabRefused = false;
        XErrorHandler previous = XSetErrorHandler(NoteGrabError);
        XGrabKey(display_, keycode_, modifiers, root, False, GrabModeAsync, GrabModeAsync);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return !grabRefused;
    }

    Display* display_ = nullptr;
    KeyCode keycode_ = 0;
    bool grabbed_ = false;
    bool pressed_ = false;
};

} // namespace

std::unique_ptr<StopHotkey> CreateStopHotkey() {
    return std::make_unique<X11StopHotkey>();
}
