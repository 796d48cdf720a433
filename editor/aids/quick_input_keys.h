// Keys of the quick-input dialog: the Windows virtual-key code of a key press (from the native key numbers
// of the event, or from Qt's key and modifiers) and the name a recorded KBD line gives that code.
#pragma once

#include <QString>
#include <Qt>

// What the native numbers of a key event mean on the running Qt platform.
enum class NativeKeyKind {
    XkbKeysym,         // X and Wayland: nativeVirtualKey is the keysym, nativeScanCode the keycode
    WindowsVirtualKey, // Windows: nativeVirtualKey is the virtual-key code itself
};

// The numbers of one key press, as a QKeyEvent carries them. Native numbers of 0 mean "not known" (events
// made by a program, or a platform without them).
struct QuickInputKeyPress {
    int qtKey = 0;
    Qt::KeyboardModifiers modifiers;
    quint32 nativeScanCode = 0;
    quint32 nativeVirtualKey = 0;
};

// The native kind of the Qt platform with this name ("xcb", "wayland", "windows", "offscreen", …).
NativeKeyKind NativeKeyKindOfPlatform(const QString& platformName);

// The Windows virtual-key code of the pressed key, 0 when it has none. Native numbers come first, so left
// and right modifiers, the numeric keypad and the keys of the main block are told apart whatever the
// shift state; without them Qt's key code and the keypad modifier decide.
int VirtualKeyOfKeyPress(const QuickInputKeyPress& key, NativeKeyKind kind);

// The key name a KBD line uses for a virtual-key code: a VK_ constant name or the code in decimal; ""
// when the dialog does not name that code.
QString QuickInputKeyName(int virtualKey);
