// Reading an X keyboard map through XKB: which keycode types a keysym at the base level of the current
// group, which keycodes carry a keysym at all, and which keycodes have no symbols.
#pragma once

#include <memory>
#include <vector>

typedef struct _XDisplay Display;
typedef struct _XkbDesc* XkbDescPtr;
typedef unsigned long KeySym;

struct XkbMapDeleter {
    void operator()(XkbDescPtr map) const;
};
using KeymapPtr = std::unique_ptr<struct _XkbDesc, XkbMapDeleter>;

// The key symbols and types of a keyboard device (an XInput device id, or the core keyboard); null when the
// server has no XKB.
KeymapPtr FetchKeymap(Display* display, unsigned int device);

// The keycode whose symbol at `level` of `group` (wrapped into the key's own groups) is the keysym; 0 none.
unsigned int FindKeycodeAtLevel(XkbDescPtr map, KeySym keysym, int group, int level);
// Every keycode that has the keysym at any level of any group.
std::vector<unsigned int> KeycodesCarrying(XkbDescPtr map, KeySym keysym);
// True when the keycode has no symbols in any group.
bool KeycodeIsEmpty(XkbDescPtr map, unsigned int keycode);
