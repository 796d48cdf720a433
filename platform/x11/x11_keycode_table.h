// The virtual-key code of each X keycode, the reverse of the tables GETKEYSTATE reads a key's state with, for
// turning the keys of a recording into the codes KBD sends.
#pragma once

#include <array>
#include <cstdint>

class X11LayoutKeys;
typedef struct _XkbDesc* XkbDescPtr;

// For each keycode the code Windows gives its physical key on the active layout (the layout's table), and
// for the keys the table does not place, the code of VirtualKeysOfKeycodes.
std::array<uint8_t, 256> VirtualKeysOfLayoutKeys(const X11LayoutKeys& layout, XkbDescPtr map);

// For each keycode the code whose keysyms (KeySymsForKeyState) the key carries; 0 for a key without one.
// When several codes fit, the one whose keysym sits at the key's lowest level wins (the digit 1 rather than
// the "!" on the same key), then the code naming one key rather than a pair (VK_LSHIFT rather than
// VK_SHIFT, as a Windows keyboard reports it), then VK_SNAPSHOT and VK_CLEAR over their twins, then the
// lower code.
std::array<uint8_t, 256> VirtualKeysOfKeycodes(XkbDescPtr map);
