// The desktop-wide keys for X11: a passive grab of one key on the root window, on a private display
// connection, read by polling that connection. The stop key is Pause in every modifier state; the other keys
// are a virtual key with exactly the modifiers asked for, whatever the Caps Lock and Num Lock state.
#include "stop_hotkey.h"

#include "x11_connection_loss.h"
#include "xkb_virtual_keys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <atomic>
#include <vector>

namespace {

// Grab failures arrive as asynchronous X errors; they are collected here while a grab is being set up.
bool grabRefused = false;

int NoteGrabError(Display*, XErrorEvent*) {
    grabRefused = true;
    return 0;
}

// The modifier bit Num Lock sets: the modifier whose keys include the Num Lock key (Mod2 as a rule).
unsigned NumLockMask(Display* display) {
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    if (map != nullptr && numLock != 0) {
        for (int modifier = 0; modifier < 8 && mask == 0; ++modifier)
            for (int i = 0; i < map->max_keypermod; ++i)
                if (map->modifiermap[modifier * map->max_keypermod + i] == numLock) mask = 1u << modifier;
    }
    if (map != nullptr) XFreeModifiermap(map);
    return mask != 0 ? mask : Mod2Mask;
}

class X11GlobalHotkey : public StopHotkey {
  public:
    // With `anyModifiers` the key is taken in every modifier state (the stop key); otherwise with exactly
    // `modifiers` (X modifier bits).
    X11GlobalHotkey(KeySym keysym, unsigned modifiers, bool anyModifiers)
        : keysym_(keysym), modifiers_(modifiers), anyModifiers_(anyModifiers) {}

    ~X11GlobalHotkey() override {
        Release();
        CloseWatchedDisplay(display_);
    }

    // A connection whose server has gone away is never replaced: there is no desktop to take a key from.
    bool Grab() override {
        if (grabbed_) return true;
        if (keysym_ == 0 || lost_.load()) return false;
        if (display_ == nullptr) display_ = OpenWatchedDisplay(nullptr, lost_);
        if (display_ == nullptr) return false;
        keycode_ = XKeysymToKeycode(display_, keysym_);
        if (keycode_ == 0) return false;
        const Window root = DefaultRootWindow(display_);
        const unsigned numLock = NumLockMask(display_);
        grabs_.clear();
        // One grab for any modifier state; when another program holds some combination, grab at least the
        // plain key with Caps Lock and Num Lock in every state.
        if (anyModifiers_ && TryGrab(root, AnyModifier)) {
            grabs_.push_back(AnyModifier);
        } else {
            for (unsigned locks : {0u, unsigned{LockMask}, numLock, LockMask | numLock})
                if (TryGrab(root, modifiers_ | locks)) grabs_.push_back(modifiers_ | locks);
            // Without the key in the plain lock state it would work only now and then: that is no grab.
            if (grabs_.empty() || grabs_.front() != modifiers_) {
                UngrabAll();
                return false;
            }
        }
        grabbed_ = true;
        pressed_ = false;
        return true;
    }

    void Release() override {
        if (!grabbed_ || display_ == nullptr) return;
        if (lost_.load()) { // the grabs went with the server
            grabs_.clear();
            grabbed_ = false;
            return;
        }
        UngrabAll();
        XSync(display_, True); // drops the key events still queued
        grabbed_ = false;
    }

    bool TakePressed() override {
        if (!grabbed_ || display_ == nullptr || lost_.load()) return false;
        while (!lost_.load() && XPending(display_) > 0) {
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

    void UngrabAll() {
        for (unsigned modifiers : grabs_)
            XUngrabKey(display_, keycode_, modifiers, DefaultRootWindow(display_));
        grabs_.clear();
    }

    KeySym keysym_;
    unsigned modifiers_;
    bool anyModifiers_;
    std::atomic<bool> lost_{false};
    Display* display_ = nullptr;
    KeyCode keycode_ = 0;
    std::vector<unsigned> grabs_;
    bool grabbed_ = false;
    bool pressed_ = false;
};

} // namespace

std::unique_ptr<StopHotkey> CreateStopHotkey() {
    return std::make_unique<X11GlobalHotkey>(XK_Pause, 0, true);
}

std::unique_ptr<StopHotkey> CreateGlobalHotkey(uint8_t virtualKey, unsigned modifiers) {
    unsigned mask = 0;
    if ((modifiers & kHotkeyShift) != 0) mask |= ShiftMask;
    if ((modifiers & kHotkeyControl) != 0) mask |= ControlMask;
    if ((modifiers & kHotkeyAlt) != 0) mask |= Mod1Mask;
    return std::make_unique<X11GlobalHotkey>(KeySymOfVirtualKey(virtualKey), mask, false);
}
