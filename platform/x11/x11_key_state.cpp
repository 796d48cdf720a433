// Key and button state for GETKEYSTATE: XQueryKeymap and the pointer's button mask for "down now", raw
// press events of XInput2 counted per keycode and button for "pressed since the previous query". A code
// reads the physical key the active layout gives it, the same key KBD presses.
#include "x11_key_state.h"

#include "x11_connection_loss.h"
#include "x11_keymap.h"
#include "xkb_virtual_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <vector>

namespace {

constexpr uint16_t kDownNow = 0x8000;
constexpr uint16_t kPressedSince = 0x0001;

bool ButtonIsDown(Display* display, int button) {
    int pointer = 0;
    if (!XIGetClientPointer(display, None, &pointer)) return false;
    Window root = 0;
    Window child = 0;
    double rootX = 0;
    double rootY = 0;
    double winX = 0;
    double winY = 0;
    XIButtonState buttons{};
    XIModifierState mods{};
    XIGroupState group{};
    if (!XIQueryPointer(display, pointer, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX,
                        &winY, &buttons, &mods, &group))
        return false;
    const bool down = button < buttons.mask_len * 8 && XIMaskIsSet(buttons.mask, button);
    XFree(buttons.mask);
    return down;
}

bool AnyKeycodeDown(Display* display, const std::vector<unsigned int>& codes) {
    char keys[32] = {}; // left as it is when the server has gone away
    XQueryKeymap(display, keys);
    for (unsigned int code : codes)
        if (code < 256 && (keys[code / 8] & (1 << (code % 8))) != 0) return true;
    return false;
}

} // namespace

X11KeyState::X11KeyState(const char* displayName, std::atomic<bool>& lost) : lost_(lost) {
    display_ = OpenWatchedDisplay(displayName, lost_);
    if (display_ == nullptr) return;
    layoutKeys_ = std::make_unique<X11LayoutKeys>(display_, XkbUseCoreKbd);
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &inputOpcode_, &event, &error)) return;
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
    listening_ = true;
}

X11KeyState::~X11KeyState() {
    layoutKeys_.reset();
    CloseWatchedDisplay(display_);
}

void X11KeyState::Drain() {
    if (!Listening()) return;
    // The round trip makes every press the server handled before now arrive in the queue.
    XSync(display_, False);
    while (!lost_.load() && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != inputOpcode_) continue;
        if (!XGetEventData(display_, cookie)) continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const unsigned int detail = static_cast<unsigned int>(raw->detail);
        if (cookie->evtype == XI_RawKeyPress && detail < keyPresses_.size()) ++keyPresses_[detail];
        if (cookie->evtype == XI_RawButtonPress && detail < buttonPresses_.size()) ++buttonPresses_[detail];
        XFreeEventData(display_, cookie);
    }
}

bool X11KeyState::PressedSinceLastQuery(uint8_t virtualKey, const unsigned int* codes, size_t count,
                                        bool buttons) {
    const std::array<uint64_t, 256>& presses = buttons ? buttonPresses_ : keyPresses_;
    uint64_t total = 0;
    for (size_t i = 0; i < count; ++i)
        if (codes[i] < presses.size()) total += presses[codes[i]];
    const bool pressed = total != seenAtLastQuery_[virtualKey];
    seenAtLastQuery_[virtualKey] = total;
    return pressed;
}

uint16_t X11KeyState::Query(int32_t virtualKey) {
    if (display_ == nullptr || lost_.load() || virtualKey < 0 || virtualKey > 255) return 0;
    Drain();
    const uint8_t code = static_cast<uint8_t>(virtualKey);
    uint16_t state = 0;
    if (const int button = PointerButtonOfVirtualKey(code); button != 0) {
        const unsigned int buttonCode = static_cast<unsigned int>(button);
        if (ButtonIsDown(display_, button)) state |= kDownNow;
        if (PressedSinceLastQuery(code, &buttonCode, 1, true)) state |= kPressedSince;
        return state;
    }
    layoutKeys_->Refresh();
    std::vector<unsigned int> keycodes = layoutKeys_->KeycodesForState(code);
    if (keycodes.empty() && !layoutKeys_->HasNoKey(code)) {
        // By keysym, among the keys the layout gives no other code: a key is one code, not two.
        KeymapPtr map = FetchKeymap(display_, XkbUseCoreKbd);
        for (KeySym keysym : KeySymsForKeyState(code)) {
            for (unsigned int keycode : KeycodesCarrying(map.get(), keysym))
                if (layoutKeys_->VirtualKeyOfKeycode(keycode) == 0) keycodes.push_back(keycode);
        }
    }
    if (keycodes.empty()) return 0;
    if (AnyKeycodeDown(display_, keycodes)) state |= kDownNow;
    if (PressedSinceLastQuery(code, keycodes.data(), keycodes.size(), false)) state |= kPressedSince;
    return state;
}
