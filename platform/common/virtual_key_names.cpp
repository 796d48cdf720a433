// Virtual-key names: the letters and digits by their character, the numbered keys (F1 … F24, keypad
// digits) by rule, the other codes from a list of the names Windows documents.
#include "virtual_key_names.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::pair<std::string_view, uint8_t> kNames[] = {
    {"VK_LBUTTON", 0x01},
    {"VK_RBUTTON", 0x02},
    {"VK_CANCEL", 0x03},
    {"VK_MBUTTON", 0x04},
    {"VK_XBUTTON1", 0x05},
    {"VK_XBUTTON2", 0x06},
    {"VK_BACK", 0x08},
    {"VK_TAB", 0x09},
    {"VK_CLEAR", 0x0C},
    {"VK_RETURN", 0x0D},
    {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},
    {"VK_PAUSE", 0x13},
    {"VK_CAPITAL", 0x14},
    {"VK_KANA", 0x15},
    {"VK_HANGUL", 0x15},
    {"VK_JUNJA", 0x17},
    {"VK_FINAL", 0x18},
    {"VK_KANJI", 0x19},
    {"VK_HANJA", 0x19},
    {"VK_ESCAPE", 0x1B},
    {"VK_CONVERT", 0x1C},
    {"VK_NONCONVERT", 0x1D},
    {"VK_ACCEPT", 0x1E},
    {"VK_MODECHANGE", 0x1F},
    {"VK_SPACE", 0x20},
    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},
    {"VK_END", 0x23},
    {"VK_HOME", 0x24},
    {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},
    {"VK_SELECT", 0x29},
    {"VK_PRINT", 0x2A},
    {"VK_EXECUTE", 0x2B},
    {"VK_SNAPSHOT", 0x2C},
    {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},
    {"VK_HELP", 0x2F},
    {"VK_LWIN", 0x5B},
    {"VK_RWIN", 0x5C},
    {"VK_APPS", 0x5D},
    {"VK_SLEEP", 0x5F},
    {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},
    {"VK_SEPARATOR", 0x6C},
    {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},
    {"VK_NUMLOCK", 0x90},
    {"VK_SCROLL", 0x91},
    {"VK_LSHIFT", 0xA0},
    {"VK_RSHIFT", 0xA1},
    {"VK_LCONTROL", 0xA2},
    {"VK_RCONTROL", 0xA3},
    {"VK_LMENU", 0xA4},
    {"VK_RMENU", 0xA5},
    {"VK_OEM_1", 0xBA},
    {"VK_OEM_PLUS", 0xBB},
    {"VK_OEM_COMMA", 0xBC},
    {"VK_OEM_MINUS", 0xBD},
    {"VK_OEM_PERIOD", 0xBE},
    {"VK_OEM_2", 0xBF},
    {"VK_OEM_3", 0xC0},
    {"VK_ABNT_C1", 0xC1},
    {"VK_ABNT_C2", 0xC2},
    {"VK_OEM_4", 0xDB},
    {"VK_OEM_5", 0xDC},
    {"VK_OEM_6", 0xDD},
    {"VK_OEM_7", 0xDE},
    {"VK_OEM_8", 0xDF},
    {"VK_OEM_102", 0xE2},
    {"VK_PROCESSKEY", 0xE5},
    {"VK_PACKET", 0xE7},
    // The Japanese keys' codes (VK_OEM_ATTN … VK_OEM_ENLW in the general list).
    {"VK_DBE_ALPHANUMERIC", 0xF0},
    {"VK_DBE_KATAKANA", 0xF1},
    {"VK_DBE_HIRAGANA", 0xF2},
    {"VK_DBE_SBCSCHAR", 0xF3},
    {"VK_DBE_DBCSCHAR", 0xF4},
    {"VK_DBE_ROMAN", 0xF5},
    {"VK_DBE_NOROMAN", 0xF6},
    {"VK_OEM_ATTN", 0xF0},
    {"VK_OEM_FINISH", 0xF1},
    {"VK_OEM_COPY", 0xF2},
    {"VK_OEM_AUTO", 0xF3},
    {"VK_OEM_ENLW", 0xF4},
    {"VK_OEM_BACKTAB", 0xF5},
    {"VK_ATTN", 0xF6},
    {"VK_CRSEL", 0xF7},
    {"VK_EXSEL", 0xF8},
    {"VK_EREOF", 0xF9},
    {"VK_PLAY", 0xFA},
    {"VK_ZOOM", 0xFB},
    {"VK_PA1", 0xFD},
    {"VK_OEM_CLEAR", 0xFE},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The number after a prefix ("VK_F" 12, "VK_NUMPAD" 7); -1 when the rest is not a plain decimal number.
int NumberAfter(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || (digits.size() == 2 && digits[0] == '0')) return -1;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

int VirtualKeyOfName(std::string_view name) {
    if (name.size() == 4 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        const int high = HexDigit(name[2]);
        const int low = HexDigit(name[3]);
        return high < 0 || low < 0 ? -1 : high * 16 + low;
    }
    if (name.size() == 4 && name.substr(0, 3) == "VK_") {
        const char c = name[3];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    if (const int f = NumberAfter(name, "VK_F"); f >= 1 && f <= 24) return 0x6F + f;
    if (const int digit = NumberAfter(name, "VK_NUMPAD"); digit >= 0 && digit <= 9 && name.size() == 10)
        return 0x60 + digit;
    for (const auto& [known, code] : kNames)
        if (known == name) return code;
    return -1;
}

std::string VirtualKeyName(uint8_t virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::string("VK_") + static_cast<char>(virtualKey);
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return "VK_F" + std::to_string(virtualKey - 0x6F);
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return "VK_NUMPAD" + std::to_string(virtualKey - 0x60);
    for (const auto& [known, code] : kNames)
        if (code == virtualKey) return std::string(known);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", virtualKey);
    return hex;
}
