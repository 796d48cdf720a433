// X11KeyState: the 16-bit key state of a virtual-key code on X11. Bit 15: the key (or pointer button) is down
// now. Bit 0: it was pressed since the previous query of it, counted from XInput2 raw press events, which
// arrive whichever client has the focus.
#pragma once

#include "x11_layout_keys.h"

#include <array>
#include <atomic>
#include <memory>
#include <cstddef>
#include <cstdint>

typedef struct _XDisplay Display;

class X11KeyState {
  public:
    // Opens a connection of its own to the named display, so reading its events never takes events meant
    // for the rest of the program, and starts listening for presses at once. `lost` is the owner's flag of
    // a server gone away (x11_connection_loss.h), set by this connection too; once set nothing is asked.
    X11KeyState(const char* displayName, std::atomic<bool>& lost);
    ~X11KeyState();
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    bool Listening() const { return display_ != nullptr && listening_ && !lost_.load(); }
    uint16_t Query(int32_t virtualKey);
    // Counts the press events that have arrived so far (keeps the queue short between queries).
    void Drain();

  private:
    bool PressedSinceLastQuery(uint8_t virtualKey, const unsigned int* codes, size_t count, bool buttons);

    std::atomic<bool>& lost_;
    Display* display_ = nullptr;
    // The physical keys of the codes on the active layout; a code its table lacks is read by its keysyms.
    std::unique_ptr<X11LayoutKeys> layoutKeys_;
    int inputOpcode_ = 0;
    bool listening_ = false;
    // Presses counted since the start, per keycode and per button; each code remembers the total of its
    // keys at its last query, so a query of VK_SHIFT does not use up the press of VK_RSHIFT.
    std::array<uint64_t, 256> keyPresses_{};
    std::array<uint64_t, 256> buttonPresses_{};
    std::array<uint64_t, 256> seenAtLastQuery_{};
};
