// The keycode to virtual-key table: the physical keys of the active layout's table, and for the other keys
// every code's keysyms looked up on every key of an XKB map, the best fitting code kept per key.
#include "x11_keycode_table.h"

#include "x11_layout_keys.h"
#include "xkb_virtual_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <tuple>
#include <vector>

namespace {

constexpr uint8_t kSnapshot = 44;
constexpr uint8_t kClear = 12;

// Where a keysym sits among a key's symbols (groups one after the other, levels within); -1 when absent.
int PositionOnKey(XkbDescPtr map, unsigned int keycode, KeySym keysym) {
    const int count = XkbKeyNumSyms(map, keycode);
    const KeySym* syms = XkbKeySymsPtr(map, keycode);
    for (int i = 0; i < count; ++i)
        if (syms[i] == keysym) return i;
    return -1;
}

} // namespace

std::array<uint8_t, 256> VirtualKeysOfKeycodes(XkbDescPtr map) {
    std::array<uint8_t, 256> table{};
    if (map == nullptr || map->map == nullptr) return table;
    // Smaller is better: position on the key, keysyms of the code, not a preferred twin, the code.
    using Rank = std::tuple<int, size_t, int, int>;
    std::array<Rank, 256> best{};
    std::array<std::vector<KeySym>, 256> keysymsOf;
    for (int code = 1; code < 256; ++code)
        keysymsOf[static_cast<size_t>(code)] = KeySymsForKeyState(static_cast<uint8_t>(code));
    for (unsigned int keycode = map->min_key_code; keycode <= map->max_key_code && keycode < 256; ++keycode) {
        for (int code = 1; code < 256; ++code) {
            const uint8_t virtualKey = static_cast<uint8_t>(code);
            const std::vector<KeySym>& keysyms = keysymsOf[static_cast<size_t>(code)];
            int position = -1;
            for (KeySym keysym : keysyms) {
                const int at = PositionOnKey(map, keycode, keysym);
                if (at >= 0 && (position < 0 || at < position)) position = at;
            }
            if (position < 0) continue;
            const bool preferred = virtualKey == kSnapshot || virtualKey == kClear;
            const Rank rank{position, keysyms.size(), preferred ? 0 : 1, code};
            if (table[keycode] == 0 || rank < best[keycode]) {
                table[keycode] = virtualKey;
                best[keycode] = rank;
            }
        }
    }
    return table;
}

std::array<uint8_t, 256> VirtualKeysOfLayoutKeys(const X11LayoutKeys& layout, XkbDescPtr map) {
    std::array<uint8_t, 256> table = VirtualKeysOfKeycodes(map);
    for (unsigned int keycode = 0; keycode < table.size(); ++keycode)
        if (const uint8_t code = layout.VirtualKeyOfKeycode(keycode); code != 0) table[keycode] = code;
    return table;
}
