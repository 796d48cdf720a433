// WaylandLayoutKeys: the Linux input code of the physical key Windows gives each virtual-key code on an XKB
// layout, found through the layout tables (scan code → XKB key name → keycode of the layout's keymap).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;

class WaylandLayoutKeys {
  public:
    // Compiles the keymap of the layout and variant with the evdev rules ("us" for an empty layout).
    WaylandLayoutKeys(const std::string& layout, const std::string& variant);
    ~WaylandLayoutKeys();
    WaylandLayoutKeys(const WaylandLayoutKeys&) = delete;
    WaylandLayoutKeys& operator=(const WaylandLayoutKeys&) = delete;

    // False when the layout's keymap could not be compiled (then no code has a key).
    bool Valid() const { return keymap_ != nullptr; }
    // The Linux input code of the code's key; 0 when the layout places no key carrying symbols for it.
    uint32_t EvdevCodeOf(uint8_t virtualKey) const { return evdevCodes_[virtualKey]; }
    // True when a Windows keyboard of this layout has no key for the code, so it types nothing.
    bool HasNoKey(uint8_t virtualKey) const { return noKey_[virtualKey]; }
    // The Linux input code of a key carrying the keysym at its base level; 0 when no key does.
    uint32_t EvdevCodeOfKeySym(uint32_t keysym) const;
    // The code the key with an XKB keycode (Linux input code + 8) reports on this layout; 0 when none.
    uint8_t VirtualKeyOfKeycode(uint32_t keycode) const {
        return keycode < reported_.size() ? reported_[keycode] : 0;
    }

  private:
    void Build(const std::string& layout, const std::string& variant);

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    std::array<uint32_t, 256> evdevCodes_{};
    std::array<bool, 256> noKey_{};
    std::array<uint8_t, 256> reported_{};
};
