// The named constants: window commands, key actions, mouse actions and virtual-key codes, each family
// answered by one routine that selects the value by the called name and refuses any argument.
#include "builtin_support.h"
#include "named_constants.h"

#include <unordered_map>

namespace {

constexpr NamedConstant kWindowCommands[] = {{u"MAX", 61488}, {u"MIN", 61472}, {u"NORMAL", 61728}};

constexpr NamedConstant kKeyActions[] = {{u"PRESS", 0}, {u"DOWN", 1}, {u"UP", 2}};

constexpr NamedConstant kMouseActions[] = {
    {u"MOVE", 1},     {u"LEFTDOWN", 2},    {u"LEFTUP", 4},      {u"LEFTPRESS", 6}, {u"RIGHTDOWN", 8},
    {u"RIGHTUP", 16}, {u"RIGHTPRESS", 24}, {u"MIDDLEDOWN", 32}, {u"MIDDLEUP", 64}, {u"MIDDLEPRESS", 96},
};

// Windows virtual-key codes, plus VK_ALT (the same key as VK_MENU) and the digit and letter keys.
constexpr NamedConstant kVirtualKeys[] = {{u"VK_A", 65},
                                          {u"VK_B", 66},
                                          {u"VK_C", 67},
                                          {u"VK_D", 68},
                                          {u"VK_E", 69},
                                          {u"VK_F", 70},
                                          {u"VK_G", 71},
                                          {u"VK_H", 72},
                                          {u"VK_I", 73},
                                          {u"VK_J", 74},
                                          {u"VK_K", 75},
                                          {u"VK_L", 76},
                                          {u"VK_M", 77},
                                          {u"VK_N", 78},
                                          {u"VK_O", 79},
                                          {u"VK_P", 80},
                                          {u"VK_Q", 81},
                                          {u"VK_R", 82},
                                          {u"VK_S", 83},
                                          {u"VK_T", 84},
                                          {u"VK_U", 85},
                                          {u"VK_V", 86},
                                          {u"VK_W", 87},
                                          {u"VK_X", 88},
                                          {u"VK_Y", 89},
                                          {u"VK_Z", 90},
                                          {u"VK_1", 49},
                                          {u"VK_2", 50},
                                          {u"VK_3", 51},
                                          {u"VK_4", 52},
                                          {u"VK_5", 53},
                                          {u"VK_6", 54},
                                          {u"VK_7", 55},
                                          {u"VK_8", 56},
                                          {u"VK_9", 57},
                                          {u"VK_0", 48},
                                          {u"VK_ACCEPT", 30},
                                          {u"VK_ADD", 107},
                                          {u"VK_ALT", 18},
                                          {u"VK_APPS", 93},
                                          {u"VK_ATTN", 246},
                                          {u"VK_BACK", 8},
                                          {u"VK_BROWSER_BACK", 166},
                                          {u"VK_BROWSER_FAVORITES", 171},
                                          {u"VK_BROWSER_HOME", 172},
                                          {u"VK_BROWSER_REFRESH", 168},
                                          {u"VK_BROWSER_SEARCH", 170},
                                          {u"VK_BROWSER_STOP", 169},
                                          {u"VK_CANCEL", 3},
                                          {u"VK_CAPITAL", 20},
                                          {u"VK_CLEAR", 12},
                                          {u"VK_CONTROL", 17},
                                          {u"VK_CONVERT", 28},
                                          {u"VK_CRSEL", 247},
                                          {u"VK_DECIMAL", 110},
                                          {u"VK_DELETE", 46},
                                          {u"VK_DIVIDE", 111},
                                          {u"VK_DOWN", 40},
                                          {u"VK_END", 35},
                                          {u"VK_RETURN", 13},
                                          {u"VK_EREOF", 249},
                                          {u"VK_ESCAPE", 27},
                                          {u"VK_EXECUTE", 43},
                                          {u"VK_EXSEL", 248},
                                          {u"VK_F1", 112},
                                          {u"VK_F10", 121},
                                          {u"VK_F11", 122},
                                          {u"VK_F12", 123},
                                          {u"VK_F13", 124},
                                          {u"VK_F14", 125},
                                          {u"VK_F15", 126},
                                          {u"VK_F16", 127},
                                          {u"VK_F17", 128},
                                          {u"VK_F18", 129},
                                          {u"VK_F19", 130},
                                          {u"VK_F2", 113},
                                          {u"VK_F20", 131},
                                          {u"VK_F21", 132},
                                          {u"VK_F22", 133},
                                          {u"VK_F23", 134},
                                          {u"VK_F24", 135},
                                          {u"VK_F3", 114},
                                          {u"VK_F4", 115},
                                          {u"VK_F5", 116},
                                          {u"VK_F6", 117},
                                          {u"VK_F7", 118},
                                          {u"VK_F8", 119},
                                          {u"VK_F9", 120},
                                          {u"VK_FINAL", 24},
                                          {u"VK_HANGUL", 21},
                                          {u"VK_HANGUEL", 21},
                                          {u"VK_HELP", 47},
                                          {u"VK_HOME", 36},
                                          {u"VK_INSERT", 45},
                                          {u"VK_JUNJA", 23},
                                          {u"VK_KANA", 21},
                                          {u"VK_LAUNCH_APP1", 182},
                                          {u"VK_LAUNCH_APP2", 183},
                                          {u"VK_LAUNCH_MAIL", 180},
                                          {u"VK_LAUNCH_MEDIA_SELECT", 181},
                                          {u"VK_LBUTTON", 1},
                                          {u"VK_LCONTROL", 162},
                                          {u"VK_LEFT", 37},
                                          {u"VK_LMENU", 164},
                                          {u"VK_LSHIFT", 160},
                                          {u"VK_LWIN", 91},
                                          {u"VK_MBUTTON", 4},
                                          {u"VK_MEDIA_NEXT_TRACK", 176},
                                          {u"VK_MEDIA_PREV_TRACK", 177},
                                          {u"VK_MEDIA_PLAY_PAUSE", 179},
                                          {u"VK_MEDIA_STOP", 178},
                                          {u"VK_MENU", 18},
                                          {u"VK_MODECHANGE", 31},
                                          {u"VK_MULTIPLY", 106},
                                          {u"VK_NEXT", 34},
                                          {u"VK_NONAME", 252},
                                          {u"VK_NONCONVERT", 29},
                                          {u"VK_NUMLOCK", 144},
                                          {u"VK_NUMPAD0", 96},
                                          {u"VK_NUMPAD1", 97},
                                          {u"VK_NUMPAD2", 98},
                                          {u"VK_NUMPAD3", 99},
                                          {u"VK_NUMPAD4", 100},
                                          {u"VK_NUMPAD5", 101},
                                          {u"VK_NUMPAD6", 102},
                                          {u"VK_NUMPAD7", 103},
                                          {u"VK_NUMPAD8", 104},
                                          {u"VK_NUMPAD9", 105},
                                          {u"VK_OEM_1", 186},
                                          {u"VK_OEM_102", 226},
                                          {u"VK_OEM_2", 191},
                                          {u"VK_OEM_3", 192},
                                          {u"VK_OEM_4", 219},
                                          {u"VK_OEM_5", 220},
                                          {u"VK_OEM_6", 221},
                                          {u"VK_OEM_7", 222},
                                          {u"VK_OEM_8", 223},
                                          {u"VK_OEM_CLEAR", 254},
                                          {u"VK_OEM_COMMA", 188},
                                          {u"VK_OEM_MINUS", 189},
                                          {u"VK_OEM_PERIOD", 190},
                                          {u"VK_OEM_PLUS", 187},
                                          {u"VK_PA1", 253},
                                          {u"VK_PACKET", 231},
                                          {u"VK_PAUSE", 19},
                                          {u"VK_PLAY", 250},
                                          {u"VK_PRINT", 42},
                                          {u"VK_PRIOR", 33},
                                          {u"VK_PROCESSKEY", 229},
                                          {u"VK_RBUTTON", 2},
                                          {u"VK_RCONTROL", 163},
                                          {u"VK_RIGHT", 39},
                                          {u"VK_RMENU", 165},
                                          {u"VK_RSHIFT", 161},
                                          {u"VK_RWIN", 92},
                                          {u"VK_SCROLL", 145},
                                          {u"VK_SELECT", 41},
                                          {u"VK_SEPARATOR", 108},
                                          {u"VK_SHIFT", 16},
                                          {u"VK_SLEEP", 95},
                                          {u"VK_SNAPSHOT", 44},
                                          {u"VK_SPACE", 32},
                                          {u"VK_SUBTRACT", 109},
                                          {u"VK_TAB", 9},
                                          {u"VK_UP", 38},
                                          {u"VK_VOLUME_MUTE", 173},
                                          {u"VK_VOLUME_DOWN", 174},
                                          {u"VK_VOLUME_UP", 175},
                                          {u"VK_XBUTTON1", 5},
                                          {u"VK_XBUTTON2", 6},
                                          {u"VK_ZOOM", 251}};

const NamedConstant* FindIn(std::span<const NamedConstant> family, const std::u16string& name) {
    for (const NamedConstant& c : family)
        if (c.name == name) return &c;
    return nullptr;
}

// Shared by all four families: no argument allowed; the value of the name in the given kind.
void AnswerConstant(BuiltinCall& call, const NamedConstant* found, bool wide) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 0, kMsgCountMismatch)) return;
    if (found == nullptr) return;
    call.result =
        wide ? MacroValue::Int32(found->value) : MacroValue::Int16(static_cast<int16_t>(found->value));
}

void ConstWindowCommand(BuiltinCall& call) {
    AnswerConstant(call, FindIn(kWindowCommands, call.name), true);
}

void ConstKeyAction(BuiltinCall& call) {
    AnswerConstant(call, FindIn(kKeyActions, call.name), false);
}

void ConstMouseAction(BuiltinCall& call) {
    AnswerConstant(call, FindIn(kMouseActions, call.name), false);
}

// Key constants are used inside loops, so they are found through a hash map rather than a scan.
void ConstVirtualKey(BuiltinCall& call) {
    static const std::unordered_map<std::u16string_view, const NamedConstant*> byName = [] {
        std::unordered_map<std::u16string_view, const NamedConstant*> map;
        for (const NamedConstant& c : kVirtualKeys) map.emplace(c.name, &c);
        return map;
    }();
    auto it = byName.find(call.name);
    AnswerConstant(call, it == byName.end() ? nullptr : it->second, false);
}

void AddFamily(BuiltinTable& table, std::span<const NamedConstant> family, BuiltinFunction routine) {
    for (const NamedConstant& c : family) table.Add(std::u16string(c.name), routine);
}

} // namespace

std::span<const NamedConstant> WindowCommandConstants() {
    return kWindowCommands;
}
std::span<const NamedConstant> KeyActionConstants() {
    return kKeyActions;
}
std::span<const NamedConstant> MouseActionConstants() {
    return kMouseActions;
}
std::span<const NamedConstant> VirtualKeyConstants() {
    return kVirtualKeys;
}

void RegisterConstantBuiltins(BuiltinTable& table) {
    AddFamily(table, kWindowCommands, ConstWindowCommand);
    AddFamily(table, kKeyActions, ConstKeyAction);
    AddFamily(table, kMouseActions, ConstMouseAction);
    AddFamily(table, kVirtualKeys, ConstVirtualKey);
}
