// X11Keyboard: key events of the virtual-key codes sent through XTest on the program's own connection. A
// code presses the physical key Windows gives it on the active layout; a code the layout's table lacks
// types its keysym, and a keysym the keyboard map lacks is bound for the event to a keycode that has no
// symbols, and unbound again after its key-up.
#pragma once

#include "pressed_keys.h"
#include "x11_layout_keys.h"

#include <chrono>
#include <cstdint>
#include <vector>

typedef struct _XDisplay Display;
typedef unsigned long KeySym;

class X11Keyboard {
  public:
    // The display belongs to the caller and stays open for the object's whole life.
    explicit X11Keyboard(Display* display);
    // Removes the temporary bindings of keys that are up (waiting out their grace time first).
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // One key-down or key-up of a virtual-key code; codes without a key or keysym send nothing.
    void Send(uint8_t virtualKey, bool down);
    // At the end of a run: every key of ours still down goes up, and every lent keycode loses its symbol
    // again (after its grace time), so nothing of the run stays held or bound.
    void EndOfRun();
    // The server has gone away: the keys still down and the lent keycodes are forgotten without a request
    // (there is nobody to take them), so the destructor sends nothing either.
    void ForgetServer();

  private:
    using Clock = std::chrono::steady_clock;
    // A keycode of ours carrying a keysym the map lacked.
    struct Binding {
        unsigned int keycode = 0;
        KeySym keysym = 0;
        bool down = false;
        Clock::time_point releasedAt;
    };

    unsigned int ResolveForPress(uint8_t virtualKey);
    unsigned int ResolveForRelease(uint8_t virtualKey);
    void FakeKey(unsigned int keycode, bool down);
    unsigned int LayoutKeycode(uint8_t virtualKey, bool& noKey);
    unsigned int BindSpareKeycode(KeySym keysym);
    void Unbind(const Binding& binding);
    void RemoveExpiredBindings();
    void UnbindAfterGrace();
    void MarkBinding(unsigned int keycode, bool down);
    bool NumLockIsOn();

    Display* display_;
    unsigned int device_; // the XTest keyboard that carries our events, or the core keyboard
    X11LayoutKeys layoutKeys_;
    std::vector<Binding> bindings_;
    PressedKeys pressed_; // the keycode each code pressed
    bool serverGone_ = false;
};
