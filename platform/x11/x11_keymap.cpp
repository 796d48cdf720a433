// XKB keymap reading for the keyboard and key-state parts.
#include "x11_keymap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

void XkbMapDeleter::operator()(XkbDescPtr map) const {
    XkbFreeKeyboard(map, XkbAllComponentsMask, True);
}

KeymapPtr FetchKeymap(Display* display, unsigned int device) {
    return KeymapPtr(XkbGetMap(display, XkbKeySymsMask | XkbKeyTypesMask, device));
}

unsigned int FindKeycodeAtLevel(XkbDescPtr map, KeySym keysym, int group, int level) {
    if (map == nullptr || map->map == nullptr) return 0;
    for (unsigned int code = map->min_key_code; code <= map->max_key_code; ++code) {
        const int groups = XkbKeyNumGroups(map, code);
        if (groups == 0) continue;
        const int g = group % groups;
        if (XkbKeyGroupWidth(map, code, g) <= level) continue;
        if (XkbKeySymEntry(map, code, level, g) == keysym) return code;
    }
    return 0;
}

std::vector<unsigned int> KeycodesCarrying(XkbDescPtr map, KeySym keysym) {
    std::vector<unsigned int> codes;
    if (map == nullptr || map->map == nullptr) return codes;
    for (unsigned int code = map->min_key_code; code <= map->max_key_code; ++code) {
        const int count = XkbKeyNumSyms(map, code);
        const KeySym* syms = XkbKeySymsPtr(map, code);
        for (int i = 0; i < count; ++i) {
            if (syms[i] == keysym) {
                codes.push_back(code);
                break;
            }
        }
    }
    return codes;
}

bool KeycodeIsEmpty(XkbDescPtr map, unsigned int keycode) {
    if (map == nullptr || map->map == nullptr) return false;
    if (keycode < map->min_key_code || keycode > map->max_key_code) return false;
    const int count = XkbKeyNumSyms(map, keycode);
    const KeySym* syms = XkbKeySymsPtr(map, keycode);
    for (int i = 0; i < count; ++i)
        if (syms[i] != NoSymbol) return false;
    return true;
}
