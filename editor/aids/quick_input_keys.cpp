// Keys of the quick-input dialog: native key numbers and Qt key codes mapped to Windows virtual-key codes,
// and the table of names the recorded KBD lines use for those codes.
#include "quick_input_keys.h"

#include "named_constants.h"

#include <array>
#include <string_view>
#include <utility>

namespace {

constexpr int kKeyCodeCount = 256;

// Value of a virtual-key constant of the macro language; the dialog's names come from that table.
int ConstantValue(std::u16string_view name) {
    for (const NamedConstant& key : VirtualKeyConstants()) {
        if (key.name == name) return key.value;
    }
    return -1;
}

using NameTable = std::array<QString, kKeyCodeCount>;

// Fills the name table row by row; a code an earlier row has named keeps that name.
class NameTableBuilder {
  public:
    void Named(std::u16string_view constant) {
        Put(ConstantValue(constant), QString::fromStdU16String(std::u16string(constant)));
    }
    void Decimal(int first, int last) {
        for (int code = first; code <= last; ++code) Put(code, QString::number(code));
    }
    void Put(int code, const QString& name) {
        if (code >= 0 && code < kKeyCodeCount && names_[code].isEmpty()) names_[code] = name;
    }
    NameTable Take() { return std::move(names_); }

  private:
    NameTable names_;
};

NameTable BuildNameTable() {
    NameTableBuilder rows;
    rows.Named(u"VK_RETURN");
    rows.Named(u"VK_BACK");
    rows.Named(u"VK_SPACE");
    rows.Decimal(0xBA, 0xC0);
    // The keypad digits are named as the digit keys, which type the same digits.
    for (int digit = 0; digit <= 9; ++digit) {
        const std::u16string keypad = u"VK_NUMPAD" + std::u16string(1, static_cast<char16_t>(u'0' + digit));
        rows.Put(ConstantValue(keypad), QStringLiteral("VK_") + QString::number(digit));
    }
    rows.Decimal(0x6A, 0x6E);
    rows.Decimal(0x02, 0x02);
    for (int code : {0xE2, 0xDC, 0xDE, 0xDD, 0xDB}) rows.Decimal(code, code);
    for (auto name : {u"VK_LEFT", u"VK_UP", u"VK_RIGHT", u"VK_DOWN"}) rows.Named(name);
    for (auto name : {u"VK_INSERT", u"VK_END", u"VK_HOME", u"VK_PRIOR", u"VK_NEXT", u"VK_DELETE"}) {
        rows.Named(name);
    }
    for (auto name : {u"VK_SCROLL", u"VK_PAUSE", u"VK_ESCAPE", u"VK_TAB", u"VK_LWIN"}) rows.Named(name);
    rows.Decimal(0xE5, 0xE5);
    for (auto name : {u"VK_F1", u"VK_F2", u"VK_F3", u"VK_F4", u"VK_F5", u"VK_F6", u"VK_F7", u"VK_F8",
                      u"VK_F9", u"VK_F10", u"VK_F11"}) {
        rows.Named(name);
    }
    rows.Decimal(0x7B, 0x7E);
    rows.Decimal(0xF4, 0xF4);
    for (auto name : {u"VK_CONTROL", u"VK_SHIFT", u"VK_ALT"}) rows.Named(name);
    // From 0x41 to 0x7A the letters are named by their character. The codes in between that no row above
    // names (right Windows key, menu key, sleep, keypad divide) get their number: "VK_" with their
    // character would be no key constant at all, and the small o of 0x6F would read as the letter O.
    for (int code = 0x41; code <= 0x7A; ++code) {
        if (code <= 0x5A) {
            rows.Put(code, QStringLiteral("VK_") + QChar(code));
        } else {
            rows.Decimal(code, code);
        }
    }
    for (int code = 0x30; code <= 0x39; ++code) rows.Put(code, QStringLiteral("VK_") + QChar(code));
    return rows.Take();
}

// --- native X keysyms ---

// Keysyms of keys that print nothing, with their virtual-key codes. The modifiers give the common code of
// their pair (VK_SHIFT for either shift key), as Windows reports them in key messages.
constexpr std::pair<quint32, int> kKeysymKeys[] = {
    {0xff08, 0x08}, // BackSpace
    {0xff09, 0x09}, // Tab
    {0xfe20, 0x09}, // ISO_Left_Tab (shift + tab)
    {0xff0b, 0x0C}, // Clear
    {0xff0d, 0x0D}, // Return
    {0xff13, 0x13}, // Pause
    {0xff6b, 0x03}, // Break (control + pause)
    {0xff14, 0x91}, // Scroll_Lock
    {0xff15, 0x2C}, // Sys_Req
    {0xff1b, 0x1B}, // Escape
    {0xffff, 0x2E}, // Delete
    {0xff21, 0x19}, // Kanji
    {0xff22, 0x1D}, // Muhenkan
    {0xff23, 0x1C}, // Henkan_Mode
    {0xff27, 0xF2}, // Hiragana_Katakana
    {0xff28, 0xF4}, // Zenkaku
    {0xff29, 0xF4}, // Hankaku
    {0xff2a, 0xF4}, // Zenkaku_Hankaku
    {0xff2f, 0x14}, // Eisu_Shift
    {0xff30, 0x14}, // Eisu_toggle
    {0xff50, 0x24}, // Home
    {0xff51, 0x25}, // Left
    {0xff52, 0x26}, // Up
    {0xff53, 0x27}, // Right
    {0xff54, 0x28}, // Down
    {0xff55, 0x21}, // Prior
    {0xff56, 0x22}, // Next
    {0xff57, 0x23}, // End
    {0xff58, 0x0C}, // Begin
    {0xff60, 0x29}, // Select
    {0xff61, 0x2C}, // Print
    {0xff62, 0x2B}, // Execute
    {0xff63, 0x2D}, // Insert
    {0xff67, 0x5D}, // Menu
    {0xff6a, 0x2F}, // Help
    {0xff7f, 0x90}, // Num_Lock
    {0xff80, 0x20}, // KP_Space
    {0xff89, 0x09}, // KP_Tab
    {0xff8d, 0x0D}, // KP_Enter
    {0xff95, 0x24}, // KP_Home
    {0xff96, 0x25}, // KP_Left
    {0xff97, 0x26}, // KP_Up
    {0xff98, 0x27}, // KP_Right
    {0xff99, 0x28}, // KP_Down
    {0xff9a, 0x21}, // KP_Prior
    {0xff9b, 0x22}, // KP_Next
    {0xff9c, 0x23}, // KP_End
    {0xff9d, 0x0C}, // KP_Begin (keypad 5 without num lock)
    {0xff9e, 0x2D}, // KP_Insert
    {0xff9f, 0x2E}, // KP_Delete
    {0xffaa, 0x6A}, // KP_Multiply
    {0xffab, 0x6B}, // KP_Add
    {0xffac, 0x6C}, // KP_Separator
    {0xffad, 0x6D}, // KP_Subtract
    {0xffae, 0x6E}, // KP_Decimal
    {0xffaf, 0x6F}, // KP_Divide
    {0xffe1, 0x10}, // Shift_L
    {0xffe2, 0x10}, // Shift_R
    {0xffe3, 0x11}, // Control_L
    {0xffe4, 0x11}, // Control_R
    {0xffe5, 0x14}, // Caps_Lock
    {0xffe6, 0x14}, // Shift_Lock
    {0xffe7, 0x12}, // Meta_L (alt + shift on many layouts)
    {0xffe8, 0x12}, // Meta_R
    {0xffe9, 0x12}, // Alt_L
    {0xffea, 0x12}, // Alt_R
    {0xfe03, 0x12}, // ISO_Level3_Shift (AltGr)
    {0xffeb, 0x5B}, // Super_L
    {0xffec, 0x5C}, // Super_R
};

constexpr quint32 kKeysymKeypad0 = 0xffb0;
constexpr quint32 kKeysymKeypad9 = 0xffb9;
constexpr quint32 kKeysymF1 = 0xffbe;
constexpr quint32 kKeysymF24 = 0xffd5;

int KeysymNonPrintingKey(quint32 keysym) {
    if (keysym >= kKeysymKeypad0 && keysym <= kKeysymKeypad9)
        return 0x60 + static_cast<int>(keysym - kKeysymKeypad0);
    if (keysym >= kKeysymF1 && keysym <= kKeysymF24) return 0x70 + static_cast<int>(keysym - kKeysymF1);
    for (const auto& [sym, code] : kKeysymKeys) {
        if (sym == keysym) return code;
    }
    return 0;
}

// Physical keys of the main block by X keycode (the Linux input code + 8, the same on every layout), with
// the codes Windows gives the keys at these places on a US keyboard, plus the two extra keys of Japanese
// keyboards. They decide where the keysym depends on the shift state or the layout.
constexpr std::pair<quint32, int> kKeycodeKeys[] = {
    {10, 0x31}, {11, 0x32}, {12, 0x33},  {13, 0x34}, {14, 0x35}, {15, 0x36}, {16, 0x37}, {17, 0x38},
    {18, 0x39}, {19, 0x30}, {20, 0xBD},  {21, 0xBB}, {24, 0x51}, {25, 0x57}, {26, 0x45}, {27, 0x52},
    {28, 0x54}, {29, 0x59}, {30, 0x55},  {31, 0x49}, {32, 0x4F}, {33, 0x50}, {34, 0xDB}, {35, 0xDD},
    {38, 0x41}, {39, 0x53}, {40, 0x44},  {41, 0x46}, {42, 0x47}, {43, 0x48}, {44, 0x4A}, {45, 0x4B},
    {46, 0x4C}, {47, 0xBA}, {48, 0xDE},  {49, 0xC0}, {51, 0xDC}, {52, 0x5A}, {53, 0x58}, {54, 0x43},
    {55, 0x56}, {56, 0x42}, {57, 0x4E},  {58, 0x4D}, {59, 0xBC}, {60, 0xBE}, {61, 0xBF}, {65, 0x20},
    {94, 0xE2}, {97, 0xE2}, {132, 0xDC},
};

int KeycodeKey(quint32 keycode) {
    for (const auto& [code, key] : kKeycodeKeys) {
        if (code == keycode) return key;
    }
    return 0;
}

// A printable ASCII character to the key that types it on a US keyboard, shifted or not.
int UsCharacterKey(int ch) {
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 'A';
    if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ') return ch;
    constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
    if (const auto at = kShiftedDigits.find(static_cast<char>(ch));
        ch > 0 && ch < 0x80 && at != kShiftedDigits.npos) {
        return '0' + static_cast<int>(at);
    }
    constexpr std::pair<std::string_view, int> kPunctuation[] = {
        {";:", 0xBA}, {"=+", 0xBB}, {",<", 0xBC},  {"-_", 0xBD}, {".>", 0xBE},  {"/?", 0xBF},
        {"`~", 0xC0}, {"[{", 0xDB}, {"\\|", 0xDC}, {"]}", 0xDD}, {"'\"", 0xDE},
    };
    for (const auto& [chars, key] : kPunctuation) {
        if (ch > 0 && ch < 0x80 && chars.find(static_cast<char>(ch)) != chars.npos) return key;
    }
    return 0;
}

int KeyFromKeysym(quint32 keysym, quint32 keycode) {
    if (keysym != 0) {
        if (const int key = KeysymNonPrintingKey(keysym)) return key;
        // Latin letters follow the layout, as the letter keys do on Windows.
        if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= 'a' && keysym <= 'z')) {
            return UsCharacterKey(static_cast<int>(keysym));
        }
    }
    const bool ascii = keysym >= 0x20 && keysym < 0x7F;
    if (keycode != 0) {
        const int key = KeycodeKey(keycode);
        // A letter place names a letter only for a letter of another script; punctuation there (as on a
        // Dvorak layout) is named by its character.
        const bool letterPlace = key >= 'A' && key <= 'Z';
        if (key != 0 && !(letterPlace && ascii)) return key;
    }
    if (ascii) return UsCharacterKey(static_cast<int>(keysym));
    return 0;
}

// --- Qt key codes ---

constexpr std::pair<int, int> kQtKeys[] = {
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_SysReq, 0x2C},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Home, 0x24},
    {Qt::Key_End, 0x23},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_AltGr, 0x12},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Super_L, 0x5B},
    {Qt::Key_Super_R, 0x5C},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_Help, 0x2F},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Kanji, 0x19},
    {Qt::Key_Muhenkan, 0x1D},
    {Qt::Key_Henkan, 0x1C},
    {Qt::Key_Hiragana_Katakana, 0xF2},
    {Qt::Key_Zenkaku_Hankaku, 0xF4},
    {Qt::Key_Eisu_toggle, 0x14},
};

// Keypad keys that type characters: digits and operators, told from the main block by the keypad modifier.
int QtKeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x60 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 0x6A;
    case Qt::Key_Plus:
        return 0x6B;
    case Qt::Key_Minus:
        return 0x6D;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 0x6E;
    case Qt::Key_Slash:
        return 0x6F;
    default:
        return 0;
    }
}

int KeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int key = QtKeypadKey(qtKey)) return key;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    for (const auto& [qt, code] : kQtKeys) {
        if (qt == qtKey) return code;
    }
    // Qt's codes of printable keys are their ASCII characters (letters in capitals).
    if (qtKey >= 0x20 && qtKey < 0x7F) return UsCharacterKey(qtKey);
    return 0;
}

} // namespace

NativeKeyKind NativeKeyKindOfPlatform(const QString& platformName) {
    if (platformName.startsWith(QLatin1String("windows"), Qt::CaseInsensitive)) {
        return NativeKeyKind::WindowsVirtualKey;
    }
    return NativeKeyKind::XkbKeysym;
}

int VirtualKeyOfKeyPress(const QuickInputKeyPress& key, NativeKeyKind kind) {
    if (kind == NativeKeyKind::WindowsVirtualKey) {
        if (key.nativeVirtualKey > 0 && key.nativeVirtualKey < kKeyCodeCount) {
            return static_cast<int>(key.nativeVirtualKey);
        }
    } else if (key.nativeVirtualKey != 0 || key.nativeScanCode != 0) {
        if (const int code = KeyFromKeysym(key.nativeVirtualKey, key.nativeScanCode)) return code;
    }
    return KeyFromQtKey(key.qtKey, key.modifiers);
}

QString QuickInputKeyName(int virtualKey) {
    static const NameTable names = BuildNameTable();
    if (virtualKey < 0 || virtualKey >= kKeyCodeCount) return {};
    return names[virtualKey];
}
