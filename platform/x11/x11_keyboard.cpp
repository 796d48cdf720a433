// Key events through XTest: a code's physical key on the active layout from the layout tables; for a code
// the table lacks, the keycode of its keysym in the map of the XTest keyboard device (at the base level of
// the current group), with missing keysyms bound to empty keycodes for the duration of the key; keypad
// digits whatever the NumLock state.
#include "x11_keyboard.h"

#include "x11_input_watchdog.h"

#include "x11_keymap.h"
#include "xkb_virtual_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

// How long a temporary binding outlives its key-up. A client that reads the new map only when it handles the
// key event must still find the keysym there, so the binding is not taken away at once.
constexpr auto kBindingGrace = std::chrono::milliseconds(500);
// After a keycode gets a new symbol, the programs on the display must fetch the changed map before the key
// reaches them; a key sent at once may be read with the old map, where the keycode has no symbol and types
// nothing (seen with the keypad digits once Num Lock is off).
constexpr auto kMapSettle = std::chrono::milliseconds(50);

// The slave keyboard XTest sends through: its map is the one the server applies to our events.
unsigned int FindXTestKeyboard(Display* display) {
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) return XkbUseCoreKbd;
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success) return XkbUseCoreKbd;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    unsigned int found = XkbUseCoreKbd;
    for (int i = 0; i < count; ++i) {
        if (devices[i].use == XISlaveKeyboard && std::strstr(devices[i].name, "XTEST") != nullptr) {
            found = static_cast<unsigned int>(devices[i].deviceid);
            break;
        }
    }
    XIFreeDeviceInfo(devices);
    return found;
}

bool KeycodeIsDown(Display* display, unsigned int keycode) {
    char keys[32] = {}; // left as it is when the server has gone away
    XQueryKeymap(display, keys);
    return (keys[keycode / 8] & (1 << (keycode % 8))) != 0;
}

bool IsKeypadDigit(KeySym keysym) {
    return keysym >= XK_KP_0 && keysym <= XK_KP_9;
}

} // namespace

X11Keyboard::X11Keyboard(Display* display)
    : display_(display), device_(FindXTestKeyboard(display)), layoutKeys_(display, device_) {
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    XkbQueryExtension(display_, nullptr, nullptr, nullptr, &major, &minor);
}

X11Keyboard::~X11Keyboard() {
    if (!serverGone_) EndOfRun();
}

void X11Keyboard::ForgetServer() {
    pressed_.Forget();
    bindings_.clear();
    serverGone_ = true;
}

void X11Keyboard::EndOfRun() {
    for (size_t virtualKey = 0; virtualKey < 256; ++virtualKey)
        if (const unsigned int keycode = pressed_.Up(static_cast<uint8_t>(virtualKey)); keycode != 0) {
            XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
            InputWatchdog::KeyHeld(keycode, false);
            MarkBinding(keycode, false);
        }
    UnbindAfterGrace();
}

// A keycode that went up only now keeps its symbol for the grace time, so the program that gets the key-up
// can still read it; the wait is paid once for all bindings.
void X11Keyboard::UnbindAfterGrace() {
    Clock::time_point lastRelease{};
    for (const Binding& binding : bindings_) lastRelease = std::max(lastRelease, binding.releasedAt);
    if (!bindings_.empty()) {
        XSync(display_, False);
        const auto wait = lastRelease + kBindingGrace - Clock::now();
        if (wait > Clock::duration::zero()) std::this_thread::sleep_for(wait);
    }
    for (const Binding& binding : bindings_) Unbind(binding);
    bindings_.clear();
    XSync(display_, False);
}

// A key-down of a key held already is a repeat, as a held key's own repeats are: a letter goes up and down
// again (the server would drop a second press), a modifier stays as it is.
void X11Keyboard::Send(uint8_t virtualKey, bool down) {
    RemoveExpiredBindings();
    if (!down) {
        // The key-up goes to the keycode that went down, even if the map has changed since.
        unsigned int keycode = pressed_.Up(virtualKey);
        if (keycode == 0) keycode = ResolveForRelease(virtualKey);
        if (keycode != 0) FakeKey(keycode, false);
        return;
    }
    const unsigned int keycode = ResolveForPress(virtualKey);
    if (keycode == 0) return;
    SendKeyDown(pressed_.Down(virtualKey, keycode), [&](bool down) { FakeKey(keycode, down); });
}

void X11Keyboard::FakeKey(unsigned int keycode, bool down) {
    XTestFakeKeyEvent(display_, keycode, down ? True : False, CurrentTime);
    XSync(display_, False);
    InputWatchdog::KeyHeld(keycode, down);
    MarkBinding(keycode, down);
}

// The keycode of the code's physical key on the active layout; 0 when the keysym path decides. `noKey`
// tells that the layout has no key for the code, so nothing is sent. The keypad's digit keys move the cursor
// without NumLock, so their digits then take the keysym path, as they did before there were tables.
unsigned int X11Keyboard::LayoutKeycode(uint8_t virtualKey, bool& noKey) {
    layoutKeys_.Refresh();
    noKey = layoutKeys_.HasNoKey(virtualKey);
    if (DependsOnNumLock(virtualKey) && !NumLockIsOn()) return 0;
    return layoutKeys_.KeycodeOf(virtualKey);
}

unsigned int X11Keyboard::ResolveForPress(uint8_t virtualKey) {
    if (pressed_.IsDown(virtualKey)) return pressed_.KeyOf(virtualKey);
    bool noKey = false;
    if (const unsigned int physical = LayoutKeycode(virtualKey, noKey); physical != 0) return physical;
    const KeySym keysym = KeySymOfVirtualKey(virtualKey);
    if (noKey || keysym == 0) return 0;
    for (const Binding& binding : bindings_)
        if (binding.keysym == keysym) return binding.keycode;
    KeymapPtr map = FetchKeymap(display_, device_);
    if (!map) return XKeysymToKeycode(display_, keysym);
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    const unsigned int base = FindKeycodeAtLevel(map.get(), keysym, state.group, 0);
    if (base != 0) return base;
    // A keypad digit sits on the second level of its key, which NumLock selects; without NumLock the key
    // would move the cursor, so the digit then goes through a keycode of its own.
    if (IsKeypadDigit(keysym) && NumLockIsOn()) {
        const unsigned int shifted = FindKeycodeAtLevel(map.get(), keysym, state.group, 1);
        if (shifted != 0) return shifted;
    }
    return BindSpareKeycode(keysym);
}

// A key-up of a key we did not press: its physical key, or, for a code the table lacks, a key the map has
// with its keysym (only such a key can be down at all).
unsigned int X11Keyboard::ResolveForRelease(uint8_t virtualKey) {
    layoutKeys_.Refresh();
    if (const unsigned int physical = layoutKeys_.KeycodeOf(virtualKey); physical != 0) return physical;
    const KeySym keysym = KeySymOfVirtualKey(virtualKey);
    if (layoutKeys_.HasNoKey(virtualKey) || keysym == 0) return 0;
    KeymapPtr map = FetchKeymap(display_, device_);
    const std::vector<unsigned int> codes = KeycodesCarrying(map.get(), keysym);
    return codes.empty() ? 0 : codes.front();
}

bool X11Keyboard::NumLockIsOn() {
    const unsigned int mask = XkbKeysymToModifiers(display_, XK_Num_Lock);
    if (mask == 0) return false;
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return (state.locked_mods & mask) != 0;
}

// Binds the keysym (with its capital as the shifted symbol) to a keycode that has no symbols and is not down;
// when none is free, the oldest binding that is up is reused after its grace time.
unsigned int X11Keyboard::BindSpareKeycode(KeySym keysym) {
    KeymapPtr map = FetchKeymap(display_, device_);
    unsigned int keycode = 0;
    if (map) {
        for (unsigned int code = map->max_key_code; code >= map->min_key_code && code >= 8; --code) {
            const bool ours = std::any_of(bindings_.begin(), bindings_.end(),
                                          [code](const Binding& b) { return b.keycode == code; });
            if (!ours && KeycodeIsEmpty(map.get(), code) && !KeycodeIsDown(display_, code)) {
                keycode = code;
                break;
            }
        }
    }
    if (keycode == 0) {
        auto oldest = bindings_.end();
        for (auto it = bindings_.begin(); it != bindings_.end(); ++it)
            if (!it->down && (oldest == bindings_.end() || it->releasedAt < oldest->releasedAt)) oldest = it;
        if (oldest == bindings_.end()) return 0;
        const auto wait = oldest->releasedAt + kBindingGrace - Clock::now();
        if (wait > Clock::duration::zero()) std::this_thread::sleep_for(wait);
        keycode = oldest->keycode;
        bindings_.erase(oldest);
    }
    KeySym lower = keysym;
    KeySym upper = keysym;
    XConvertCase(keysym, &lower, &upper);
    KeySym symbols[2] = {lower, upper == lower ? static_cast<KeySym>(NoSymbol) : upper};
    XChangeKeyboardMapping(display_, static_cast<int>(keycode), 2, symbols, 1);
    XSync(display_, False);
    InputWatchdog::KeycodeLent(keycode, true);
    std::this_thread::sleep_for(kMapSettle);
    Binding binding;
    binding.keycode = keycode;
    binding.keysym = keysym;
    bindings_.push_back(binding);
    return keycode;
}

void X11Keyboard::Unbind(const Binding& binding) {
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(display_, static_cast<int>(binding.keycode), 2, none, 1);
    InputWatchdog::KeycodeLent(binding.keycode, false);
}

void X11Keyboard::RemoveExpiredBindings() {
    const auto now = Clock::now();
    bool removed = false;
    for (auto it = bindings_.begin(); it != bindings_.end();) {
        if (!it->down && now - it->releasedAt >= kBindingGrace) {
            Unbind(*it);
            it = bindings_.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    if (removed) XSync(display_, False);
}

void X11Keyboard::MarkBinding(unsigned int keycode, bool down) {
    for (Binding& binding : bindings_) {
        if (binding.keycode != keycode) continue;
        binding.down = down;
        if (!down) binding.releasedAt = Clock::now();
    }
}
