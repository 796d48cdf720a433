// The named constants of the macro language: window commands, key actions, mouse actions and the virtual-key
// names with their codes, in the order the facade registers them. Also used by the quick-input dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct NamedConstant {
    std::u16string_view name;
    int32_t value;
};

// MAX, MIN, NORMAL (32-bit values).
std::span<const NamedConstant> WindowCommandConstants();
// PRESS, DOWN, UP (16-bit values).
std::span<const NamedConstant> KeyActionConstants();
// MOVE, LEFTDOWN … MIDDLEPRESS (16-bit values).
std::span<const NamedConstant> MouseActionConstants();
// The 171 VK_ names (16-bit values), in registration order.
std::span<const NamedConstant> VirtualKeyConstants();
