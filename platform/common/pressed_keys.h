// PressedKeys: what a desktop realisation has pressed for each virtual-key code and not yet let go, for
// desktops that count every press of a key (Wayland compositors), so that one release always lets it go.
#pragma once

#include <array>
#include <cstdint>

// What a key-down comes to at the desktop.
enum class KeyDownSend {
    Press,        // the key is up: press it
    ReleasePress, // a key held already, repeated: up and down again, as a client sees a repeat
    Nothing,      // a modifier, lock or button held already: a repeat of it changes nothing
};

// Each code's pressed key is an opaque non-zero number of the desktop (a key code, a keysym or a button
// with a mark of its kind). Two codes may press the same key (VK_SHIFT and VK_LSHIFT): the key is down
// once, and the first key-up of either lets it go for both.
class PressedKeys {
  public:
    // Notes a key-down of `virtualKey` pressing `key` and says what to send.
    KeyDownSend Down(uint8_t virtualKey, uint32_t key);
    // Notes a key-up of `virtualKey`: the key to release, or 0 when nothing of the code is down.
    uint32_t Up(uint8_t virtualKey);
    // The key the code holds down, 0 while it is up.
    uint32_t KeyOf(uint8_t virtualKey) const { return keys_[virtualKey]; }
    bool IsDown(uint8_t virtualKey) const { return keys_[virtualKey] != 0; }
    // Forgets every key without sending anything (the desktop has gone away).
    void Forget() { keys_.fill(0); }

  private:
    bool KeyIsDown(uint32_t key) const;

    std::array<uint32_t, 256> keys_{};
};

// Sends what Down() decided through `send(down)`: nothing, a press, or a release and a press.
template <typename SendKey> void SendKeyDown(KeyDownSend what, SendKey&& send) {
    if (what == KeyDownSend::ReleasePress) send(false);
    if (what != KeyDownSend::Nothing) send(true);
}

// True for the codes whose key-down a held key repeats (letters, digits, arrows, Return…); false for the
// modifiers, the locks and the mouse buttons, which a repeat leaves as they are.
bool RepeatsWhileHeld(uint8_t virtualKey);
