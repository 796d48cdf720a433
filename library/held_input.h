// HeldInput: the keys and mouse buttons a facade's built-ins have pressed and not yet released, so that the
// end of a run, however it ends, lets go of them instead of leaving Shift or a mouse button held down.
#pragma once

#include <bitset>
#include <cstdint>

class DesktopPlatform;

class HeldInput {
  public:
    void KeyDown(uint8_t virtualKey) { keys_.set(virtualKey); }
    void KeyUp(uint8_t virtualKey) { keys_.reset(virtualKey); }
    // Follows the button bits of one mouse event (down before up, as the event is carried out).
    void MouseButtons(uint32_t flags);

    bool IsKeyHeld(uint8_t virtualKey) const { return keys_.test(virtualKey); }
    bool AnyHeld() const { return keys_.any() || buttons_ != 0; }
    // Mouse button down bits (DesktopPlatform::kMouseLeftDown, …) of the buttons held.
    uint32_t HeldButtons() const { return buttons_; }

    // Sends a key-up for every held key and a button-up for every held button, then forgets them all.
    void ReleaseAll(DesktopPlatform& desktop);

  private:
    std::bitset<256> keys_;
    uint32_t buttons_ = 0;
};
