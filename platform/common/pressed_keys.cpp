// The keys a desktop realisation holds for the virtual-key codes, and the rule for a key-down of a key that
// is down already: one press at the desktop, whatever the number of key-downs, so one key-up lets it go.
#include "pressed_keys.h"

#include <algorithm>

namespace {

// Mouse buttons (VK_LBUTTON … VK_XBUTTON2 without VK_CANCEL), Shift, Ctrl, Alt, Caps Lock, the Windows
// keys, Num Lock, Scroll Lock and the side codes of Shift, Ctrl and Alt.
constexpr uint8_t kHeldStill[] = {0x01, 0x02, 0x04, 0x05, 0x06, 0x10, 0x11, 0x12, 0x14, 0x5B,
                                  0x5C, 0x90, 0x91, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

} // namespace

bool RepeatsWhileHeld(uint8_t virtualKey) {
    return std::find(std::begin(kHeldStill), std::end(kHeldStill), virtualKey) == std::end(kHeldStill);
}

bool PressedKeys::KeyIsDown(uint32_t key) const {
    return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

KeyDownSend PressedKeys::Down(uint8_t virtualKey, uint32_t key) {
    const bool wasDown = KeyIsDown(key);
    keys_[virtualKey] = key;
    if (!wasDown) return KeyDownSend::Press;
    return RepeatsWhileHeld(virtualKey) ? KeyDownSend::ReleasePress : KeyDownSend::Nothing;
}

uint32_t PressedKeys::Up(uint8_t virtualKey) {
    const uint32_t key = keys_[virtualKey];
    if (key == 0) return 0;
    std::replace(keys_.begin(), keys_.end(), key, 0u);
    return key;
}
