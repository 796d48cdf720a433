// The fixed table of scan codes and XKB key names: the main block row by row, the Japanese, Korean and
// Brazilian keys, the function keys, the modifiers, the keypad and the navigation block.
#include "scan_code_key_names.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::pair<ScanCode, std::string_view> kKeys[] = {
    // The main block: digits (AE), top letters (AD), home row (AC), bottom row (AB), and the keys around.
    {0x29, "TLDE"},
    {0x02, "AE01"},
    {0x03, "AE02"},
    {0x04, "AE03"},
    {0x05, "AE04"},
    {0x06, "AE05"},
    {0x07, "AE06"},
    {0x08, "AE07"},
    {0x09, "AE08"},
    {0x0A, "AE09"},
    {0x0B, "AE10"},
    {0x0C, "AE11"},
    {0x0D, "AE12"},
    {0x7D, "AE13"}, // ¥ of Japanese keyboards
    {0x0E, "BKSP"},
    {0x0F, "TAB"},
    {0x10, "AD01"},
    {0x11, "AD02"},
    {0x12, "AD03"},
    {0x13, "AD04"},
    {0x14, "AD05"},
    {0x15, "AD06"},
    {0x16, "AD07"},
    {0x17, "AD08"},
    {0x18, "AD09"},
    {0x19, "AD10"},
    {0x1A, "AD11"},
    {0x1B, "AD12"},
    {0x1C, "RTRN"},
    {0x3A, "CAPS"},
    {0x1E, "AC01"},
    {0x1F, "AC02"},
    {0x20, "AC03"},
    {0x21, "AC04"},
    {0x22, "AC05"},
    {0x23, "AC06"},
    {0x24, "AC07"},
    {0x25, "AC08"},
    {0x26, "AC09"},
    {0x27, "AC10"},
    {0x28, "AC11"},
    {0x2B, "BKSL"}, // right of ' (ANSI: above Enter; ISO: left of Enter)
    {0x2A, "LFSH"},
    {0x56, "LSGT"}, // left of Z on 102/105-key keyboards
    {0x2C, "AB01"},
    {0x2D, "AB02"},
    {0x2E, "AB03"},
    {0x2F, "AB04"},
    {0x30, "AB05"},
    {0x31, "AB06"},
    {0x32, "AB07"},
    {0x33, "AB08"},
    {0x34, "AB09"},
    {0x35, "AB10"},
    {0x73, "AB11"}, // ろ of Japanese keyboards, / ? of Brazilian ones
    {0x36, "RTSH"},
    {0x1D, "LCTL"},
    {0x38, "LALT"},
    {0x39, "SPCE"},
    {0xE038, "RALT"},
    {0xE01D, "RCTL"},
    {0xE05B, "LWIN"},
    {0xE05C, "RWIN"},
    {0xE05D, "COMP"},
    // Japanese and Korean keys.
    {0x7B, "MUHE"}, // 無変換
    {0x79, "HENK"}, // 変換
    {0x70, "HKTG"}, // カタカナ/ひらがな
    {0xF2, "HNGL"}, // 한/영
    {0xF1, "HJCV"}, // 한자
    // Function keys.
    {0x01, "ESC"},
    {0x3B, "FK01"},
    {0x3C, "FK02"},
    {0x3D, "FK03"},
    {0x3E, "FK04"},
    {0x3F, "FK05"},
    {0x40, "FK06"},
    {0x41, "FK07"},
    {0x42, "FK08"},
    {0x43, "FK09"},
    {0x44, "FK10"},
    {0x57, "FK11"},
    {0x58, "FK12"},
    {0xE037, "PRSC"},
    {0x46, "SCLK"},
    {0xE11D45, "PAUS"},
    // Navigation block.
    {0xE052, "INS"},
    {0xE047, "HOME"},
    {0xE049, "PGUP"},
    {0xE053, "DELE"},
    {0xE04F, "END"},
    {0xE051, "PGDN"},
    {0xE048, "UP"},
    {0xE04B, "LEFT"},
    {0xE050, "DOWN"},
    {0xE04D, "RGHT"},
    // Keypad.
    {0x45, "NMLK"},
    {0xE035, "KPDV"},
    {0x37, "KPMU"},
    {0x4A, "KPSU"},
    {0x47, "KP7"},
    {0x48, "KP8"},
    {0x49, "KP9"},
    {0x4E, "KPAD"},
    {0x4B, "KP4"},
    {0x4C, "KP5"},
    {0x4D, "KP6"},
    {0x4F, "KP1"},
    {0x50, "KP2"},
    {0x51, "KP3"},
    {0xE01C, "KPEN"},
    {0x52, "KP0"},
    {0x53, "KPDL"},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

ScanCode ParseScanCode(std::string_view text) {
    if (text.size() != 2 && text.size() != 4 && text.size() != 6) return 0;
    ScanCode value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return 0;
        value = value * 16 + static_cast<ScanCode>(digit);
    }
    if (text.size() == 2) return value; // 00 reads as no key
    if (text.size() == 4) return (value >> 8) == 0xE0 && (value & 0xFF) != 0 ? value : 0;
    return value == 0xE11D45 ? value : 0;
}

std::string ScanCodeText(ScanCode scanCode) {
    char text[16];
    std::snprintf(text, sizeof text, scanCode > 0xFF ? "%04X" : "%02X", scanCode);
    return text;
}

std::string_view XkbKeyNameOfScanCode(ScanCode scanCode) {
    for (const auto& [code, name] : kKeys)
        if (code == scanCode) return name;
    return {};
}

ScanCode ScanCodeOfXkbKeyName(std::string_view keyName) {
    for (const auto& [code, name] : kKeys)
        if (name == keyName) return code;
    return 0;
}
