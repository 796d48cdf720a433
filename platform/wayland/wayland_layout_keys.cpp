// The keys of a layout on Wayland: the table of the layout gives each code a scan code, its XKB key name
// finds the keycode in the layout's keymap (compiled here with libxkbcommon, as the compositor compiles it).
// A layout without a table keeps the common keys and places the letters where its symbols put them.
#include "wayland_layout_keys.h"

#include "keyboard_layouts.h"
#include "xkb_virtual_keys.h"

#include <xkbcommon/xkbcommon.h>

namespace {

constexpr uint32_t kEvdevOffset = 8; // XKB keycodes of the evdev rules are the Linux input codes plus 8

bool HasSymbols(xkb_keymap* keymap, xkb_keycode_t keycode) {
    return xkb_keymap_num_layouts_for_key(keymap, keycode) > 0 &&
           xkb_keymap_num_levels_for_key(keymap, keycode, 0) > 0;
}

xkb_keycode_t KeycodeOfKeySym(xkb_keymap* keymap, xkb_keysym_t keysym) {
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap); keycode <= last; ++keycode) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &syms);
        for (int i = 0; i < count; ++i)
            if (syms[i] == keysym) return keycode;
    }
    return 0;
}

} // namespace

WaylandLayoutKeys::WaylandLayoutKeys(const std::string& layout, const std::string& variant) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (context_ == nullptr) return;
    const std::string chosen = layout.empty() ? std::string("us") : layout;
    xkb_rule_names names{};
    names.rules = "evdev";
    names.layout = chosen.c_str();
    names.variant = layout.empty() ? "" : variant.c_str();
    keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ != nullptr) Build(chosen, layout.empty() ? std::string() : variant);
}

WaylandLayoutKeys::~WaylandLayoutKeys() {
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    if (context_ != nullptr) xkb_context_unref(context_);
}

void WaylandLayoutKeys::Build(const std::string& layout, const std::string& variant) {
    const KeyboardLayoutTable* table = FindLayoutTable(layout, variant);
    const KeyPlacement placement =
        table != nullptr ? PlacementOfTable(table) : DerivedPlacement([this](char letter) -> ScanCode {
            const xkb_keycode_t keycode = KeycodeOfKeySym(keymap_, XKB_KEY_a + (letter - 'a'));
            const char* name = keycode != 0 ? xkb_keymap_key_get_name(keymap_, keycode) : nullptr;
            return name != nullptr ? ScanCodeOfXkbKeyName(name) : 0;
        });
    for (int code = 1; code < 256; ++code) {
        const uint8_t virtualKey = static_cast<uint8_t>(code);
        noKey_[virtualKey] = placement.HasNoKey(virtualKey);
        const ScanCode scanCode = placement.ScanCodeOf(virtualKey);
        if (scanCode == 0) continue;
        const std::string name(XkbKeyNameOfScanCode(scanCode));
        const xkb_keycode_t keycode =
            name.empty() ? XKB_KEYCODE_INVALID : xkb_keymap_key_by_name(keymap_, name.c_str());
        if (keycode == XKB_KEYCODE_INVALID || keycode < kEvdevOffset || keycode >= reported_.size() ||
            !HasSymbols(keymap_, keycode))
            continue;
        evdevCodes_[virtualKey] = keycode - kEvdevOffset;
        const uint8_t reported = placement.VirtualKeyAt(scanCode);
        if (!DependsOnNumLock(reported)) reported_[keycode] = reported;
    }
}

uint32_t WaylandLayoutKeys::EvdevCodeOfKeySym(uint32_t keysym) const {
    if (keymap_ == nullptr || keysym == 0) return 0;
    const xkb_keycode_t keycode = KeycodeOfKeySym(keymap_, keysym);
    return keycode >= kEvdevOffset ? keycode - kEvdevOffset : 0;
}
