// The table from the virtual-key codes of the macro language to XKB keysyms, the same numbers on X11 and on
// Wayland's libxkbcommon: which keysym a key event of a code types, and which keysyms count as that key when
// its state is read; and the codes whose keys both desktops treat alike (keypad, modifiers, mouse buttons).
#pragma once

#include <cstdint>
#include <vector>

typedef unsigned long KeySym;

// The keysym a key event of the code sends (as on a US keyboard), or 0 when X has no key for it (the mouse
// buttons and a few input-method codes).
KeySym KeySymOfVirtualKey(uint8_t virtualKey);

// Every keysym whose key counts as the code being down: both Shift keys for VK_SHIFT, both Control keys for
// VK_CONTROL, both Alt keys for VK_MENU; otherwise the one keysym of KeySymOfVirtualKey. Empty when none.
std::vector<KeySym> KeySymsForKeyState(uint8_t virtualKey);

// The X pointer button of a mouse-button code (VK_LBUTTON 1, VK_MBUTTON 2, VK_RBUTTON 3, VK_XBUTTON1 8,
// VK_XBUTTON2 9), or 0 for any other code.
int PointerButtonOfVirtualKey(uint8_t virtualKey);

// True for the keypad digit codes VK_NUMPAD0 … VK_NUMPAD9.
bool IsNumpadDigit(uint8_t virtualKey);

// True for the codes whose key types a digit only while Num Lock is on (VK_NUMPAD0 … VK_NUMPAD9,
// VK_DECIMAL).
bool DependsOnNumLock(uint8_t virtualKey);

// Shift, Ctrl and Alt have a common code (VK_SHIFT, VK_CONTROL, VK_MENU) and one per side (VK_LSHIFT,
// VK_RSHIFT … VK_RMENU, in pairs from 0xA0).
// The common code of a side's code (VK_SHIFT for VK_RSHIFT); any other code is returned as it is.
uint8_t CommonModifierCode(uint8_t virtualKey);
// The left side's code of a common code (VK_LSHIFT for VK_SHIFT; the right side's follows it); 0 for any
// other code.
uint8_t LeftSideOfModifier(uint8_t virtualKey);
