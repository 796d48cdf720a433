// The virtual-key to keysym table: letters, digits and punctuation as on a US keyboard, the keypad, F1–F24,
// navigation and editing keys, left and right modifiers, and the media, browser and launch keys X names.
#include "xkb_virtual_keys.h"

// The 3270 and Korean keysym groups are only defined on request.
#define XK_3270
#define XK_KOREAN
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <array>
#include <cstddef>

namespace {

struct Entry {
    uint8_t virtualKey;
    KeySym keysym;
};

// Codes that are not letters, digits or function keys (those follow in ranges below).
constexpr Entry kEntries[] = {
    {3, XK_Cancel},
    {8, XK_BackSpace},
    {9, XK_Tab},
    {12, XK_Clear},
    {13, XK_Return},
    {16, XK_Shift_L},
    {17, XK_Control_L},
    {18, XK_Alt_L},
    {19, XK_Pause},
    {20, XK_Caps_Lock},
    {21, XK_Hiragana_Katakana},
    {23, XK_Hangul_Jeonja},
    {25, XK_Kanji},
    {27, XK_Escape},
    {28, XK_Henkan},
    {29, XK_Muhenkan},
    {31, XK_Mode_switch},
    {32, XK_space},
    {33, XK_Prior},
    {34, XK_Next},
    {35, XK_End},
    {36, XK_Home},
    {37, XK_Left},
    {38, XK_Up},
    {39, XK_Right},
    {40, XK_Down},
    {41, XK_Select},
    {42, XK_Print},
    {43, XK_Execute},
    {44, XK_Print},
    {45, XK_Insert},
    {46, XK_Delete},
    {47, XK_Help},
    {91, XK_Super_L},
    {92, XK_Super_R},
    {93, XK_Menu},
    {95, XF86XK_Sleep},
    {106, XK_KP_Multiply},
    {107, XK_KP_Add},
    {108, XK_KP_Separator},
    {109, XK_KP_Subtract},
    {110, XK_KP_Decimal},
    {111, XK_KP_Divide},
    {144, XK_Num_Lock},
    {145, XK_Scroll_Lock},
    {160, XK_Shift_L},
    {161, XK_Shift_R},
    {162, XK_Control_L},
    {163, XK_Control_R},
    {164, XK_Alt_L},
    {165, XK_Alt_R},
    {166, XF86XK_Back},
    {167, XF86XK_Forward},
    {168, XF86XK_Refresh},
    {169, XF86XK_Stop},
    {170, XF86XK_Search},
    {171, XF86XK_Favorites},
    {172, XF86XK_HomePage},
    {173, XF86XK_AudioMute},
    {174, XF86XK_AudioLowerVolume},
    {175, XF86XK_AudioRaiseVolume},
    {176, XF86XK_AudioNext},
    {177, XF86XK_AudioPrev},
    {178, XF86XK_AudioStop},
    {179, XF86XK_AudioPlay},
    {180, XF86XK_Mail},
    {181, XF86XK_AudioMedia},
    {182, XF86XK_MyComputer},
    {183, XF86XK_Calculator},
    {186, XK_semicolon},
    {187, XK_equal},
    {188, XK_comma},
    {189, XK_minus},
    {190, XK_period},
    {191, XK_slash},
    {192, XK_grave},
    {219, XK_bracketleft},
    {220, XK_backslash},
    {221, XK_bracketright},
    {222, XK_apostrophe},
    {226, XK_less},
    {246, XK_3270_Attn},
    {247, XK_3270_CursorSelect},
    {248, XK_3270_ExSelect},
    {249, XK_3270_EraseEOF},
    {250, XK_3270_Play},
    {251, XF86XK_ZoomIn},
    {253, XK_3270_PA1},
    {254, XK_Clear},
};

std::array<KeySym, 256> BuildTable() {
    std::array<KeySym, 256> table{};
    for (int i = 0; i < 26; ++i) table[static_cast<size_t>('A' + i)] = XK_a + static_cast<KeySym>(i);
    for (int i = 0; i < 10; ++i) {
        table[static_cast<size_t>('0' + i)] = XK_0 + static_cast<KeySym>(i);
        table[static_cast<size_t>(96 + i)] = XK_KP_0 + static_cast<KeySym>(i);
    }
    for (int i = 0; i < 24; ++i) table[static_cast<size_t>(112 + i)] = XK_F1 + static_cast<KeySym>(i);
    for (const Entry& e : kEntries) table[e.virtualKey] = e.keysym;
    return table;
}

const std::array<KeySym, 256>& Table() {
    static const std::array<KeySym, 256> table = BuildTable();
    return table;
}

} // namespace

KeySym KeySymOfVirtualKey(uint8_t virtualKey) {
    return Table()[virtualKey];
}

std::vector<KeySym> KeySymsForKeyState(uint8_t virtualKey) {
    switch (virtualKey) {
    case 16:
        return {XK_Shift_L, XK_Shift_R};
    case 17:
        return {XK_Control_L, XK_Control_R};
    case 18:
        return {XK_Alt_L, XK_Alt_R};
    default:
        break;
    }
    const KeySym keysym = KeySymOfVirtualKey(virtualKey);
    if (keysym == 0) return {};
    return {keysym};
}

int PointerButtonOfVirtualKey(uint8_t virtualKey) {
    switch (virtualKey) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    case 5:
        return 8;
    case 6:
        return 9;
    default:
        return 0;
    }
}

bool IsNumpadDigit(uint8_t virtualKey) {
    return virtualKey >= 96 && virtualKey <= 105;
}

namespace {

constexpr uint8_t kNumpad0 = 0x60;
constexpr uint8_t kNumpad9 = 0x69;
constexpr uint8_t kDecimal = 0x6E;

constexpr uint8_t kShift = 0x10;
constexpr uint8_t kMenu = 0x12;
constexpr uint8_t kLeftShift = 0xA0;
constexpr uint8_t kRightMenu = 0xA5;

} // namespace

bool DependsOnNumLock(uint8_t virtualKey) {
    return (virtualKey >= kNumpad0 && virtualKey <= kNumpad9) || virtualKey == kDecimal;
}

uint8_t CommonModifierCode(uint8_t virtualKey) {
    if (virtualKey < kLeftShift || virtualKey > kRightMenu) return virtualKey;
    return static_cast<uint8_t>(kShift + (virtualKey - kLeftShift) / 2);
}

uint8_t LeftSideOfModifier(uint8_t virtualKey) {
    if (virtualKey < kShift || virtualKey > kMenu) return 0;
    return static_cast<uint8_t>(kLeftShift + 2 * (virtualKey - kShift));
}
