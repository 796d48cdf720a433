// X11LayoutKeys: the X keycode of the physical key Windows gives each virtual-key code on the active XKB
// layout, found through the layout tables (scan code → XKB key name → keycode), and the reverse.
#pragma once

#include "keyboard_layout_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

class X11LayoutKeys {
  public:
    // The display belongs to the caller; `device` is the keyboard whose key names and symbols count (an
    // XInput device id or the core keyboard).
    X11LayoutKeys(Display* display, unsigned int device);

    // Reads which layout is active (the server's rules names and the keyboard's current group) and builds
    // the keys anew when that has changed since the last call, or after Invalidate.
    void Refresh();
    // Makes the next Refresh build the keys anew (the keyboard map has changed).
    void Invalidate() { builtFor_.clear(); }

    // The keycode of the code's key; 0 when the layout's table does not place the code, or its key is
    // missing or carries no symbols on this keyboard.
    unsigned int KeycodeOf(uint8_t virtualKey) const { return keycodes_[virtualKey]; }
    // True when the layout has no key for the code at all (a Windows keyboard of this layout has no such
    // key, so the code types nothing there).
    bool HasNoKey(uint8_t virtualKey) const { return noKey_[virtualKey]; }
    // The keycodes whose state is the code's: its key, and for VK_SHIFT, VK_CONTROL and VK_MENU the keys of
    // both sides. Empty when the table does not place the code.
    std::vector<unsigned int> KeycodesForState(uint8_t virtualKey) const;
    // The code the key of a keycode reports on this layout (the left and right modifiers by their own
    // codes); 0 when the table places no code on that key. The keypad's digit and decimal keys are left
    // out: what they report depends on Num Lock.
    uint8_t VirtualKeyOfKeycode(unsigned int keycode) const {
        return keycode < reported_.size() ? reported_[keycode] : 0;
    }
    // The table in use ("de", "jp"), or "" when the layout has none and the keys are derived from its
    // symbols.
    const std::string& TableName() const { return tableName_; }

  private:
    void Build(const std::string& layout, const std::string& variant, int group);

    Display* display_;
    unsigned int device_;
    unsigned long rulesAtom_ = 0;
    std::string builtFor_; // the rules names and group the keys were built for
    std::string tableName_;
    std::array<unsigned int, 256> keycodes_{};
    std::array<bool, 256> noKey_{};
    std::array<uint8_t, 256> reported_{};
};
