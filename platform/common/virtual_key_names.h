// The Windows names of virtual-key codes (VK_RETURN, VK_OEM_1, VK_DBE_HIRAGANA, …) as the keyboard layout
// tables write them, with the codes Windows gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code of a virtual-key name, or of a code written as "0x" and two hexadecimal digits; -1 when the
// text names no code.
int VirtualKeyOfName(std::string_view name);

// A name of the code ("VK_OEM_1"), the first one the list gives for codes with several names; "0xNN" for a
// code without a name.
std::string VirtualKeyName(uint8_t virtualKey);
