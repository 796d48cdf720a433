// The keys of the active layout on X11: the layout named in the root window's _XKB_RULES_NAMES for the
// keyboard's current group chooses a table; its scan codes become XKB key names and those the keycodes of
// the server's key names (XkbGetNames), whichever keycode set the server uses. A layout without a table
// keeps the common keys, the digits, and the letters where its symbols put them (on the US places for a
// layout without Latin letters); its punctuation keys are left to the keysym path.
#include "x11_layout_keys.h"

#include "keyboard_layouts.h"
#include "x11_keymap.h"
#include "xkb_virtual_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

// The fields of _XKB_RULES_NAMES (rules, model, layout, variant, options), which are NUL-separated.
std::vector<std::string> RulesFields(const std::string& raw) {
    std::vector<std::string> fields(1);
    for (char c : raw) {
        if (c == '\0')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string ReadRulesNames(Display* display, Atom atom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, 1024, False, XA_STRING, &type,
                           &format, &count, &after, &data) != Success ||
        data == nullptr)
        return {};
    std::string raw(reinterpret_cast<const char*>(data), format == 8 ? count : 0);
    XFree(data);
    return raw;
}

std::string_view KeyName(const char* name) {
    return std::string_view(name, strnlen(name, XkbKeyNameLength));
}

// The server's key names: each keycode's own name, and the aliases that lead to one.
class KeyNames {
  public:
    explicit KeyNames(XkbDescPtr map) : map_(map) {}

    unsigned int Find(std::string_view name) const {
        if (name.empty()) return 0;
        for (unsigned int code = map_->min_key_code; code <= map_->max_key_code; ++code)
            if (KeyName(map_->names->keys[code].name) == name) return code;
        for (int i = 0; i < map_->names->num_key_aliases; ++i) {
            const XkbKeyAliasRec& alias = map_->names->key_aliases[i];
            if (KeyName(alias.alias) == name && KeyName(alias.real) != name) return Find(KeyName(alias.real));
        }
        return 0;
    }
    std::string_view NameOf(unsigned int keycode) const {
        if (keycode < map_->min_key_code || keycode > map_->max_key_code) return {};
        return KeyName(map_->names->keys[keycode].name);
    }

  private:
    XkbDescPtr map_;
};

bool HasSymbolsInGroup(XkbDescPtr map, unsigned int keycode, int group) {
    const int groups = XkbKeyNumGroups(map, keycode);
    if (groups == 0) return false;
    const int g = group % groups;
    for (int level = 0; level < XkbKeyGroupWidth(map, keycode, g); ++level)
        if (XkbKeySymEntry(map, keycode, level, g) != NoSymbol) return true;
    return false;
}

} // namespace

X11LayoutKeys::X11LayoutKeys(Display* display, unsigned int device) : display_(display), device_(device) {
    rulesAtom_ = XInternAtom(display_, "_XKB_RULES_NAMES", False);
}

void X11LayoutKeys::Refresh() {
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) state.group = 0;
    const std::string raw = ReadRulesNames(display_, rulesAtom_);
    std::string key = raw;
    key += '\n';
    key += std::to_string(state.group);
    if (key == builtFor_) return;
    const std::vector<std::string> fields = RulesFields(raw);
    const std::vector<std::string> layouts = SplitCommas(fields.size() > 2 ? fields[2] : std::string());
    const std::vector<std::string> variants = SplitCommas(fields.size() > 3 ? fields[3] : std::string());
    const size_t index = std::min(static_cast<size_t>(state.group), layouts.size() - 1);
    Build(layouts[index], index < variants.size() ? variants[index] : std::string(), state.group);
    builtFor_ = std::move(key);
}

void X11LayoutKeys::Build(const std::string& layout, const std::string& variant, int group) {
    keycodes_.fill(0);
    noKey_.fill(false);
    reported_.fill(0);
    tableName_.clear();
    KeymapPtr map = FetchKeymap(display_, device_);
    if (!map || XkbGetNames(display_, XkbKeyNamesMask | XkbKeyAliasesMask, map.get()) != Success ||
        map->names == nullptr || map->names->keys == nullptr)
        return;
    const KeyNames names(map.get());
    const KeyboardLayoutTable* table = FindLayoutTable(layout, variant);
    if (table != nullptr) tableName_ = table->name;
    const KeyPlacement placement =
        table != nullptr ? PlacementOfTable(table) : DerivedPlacement([&](char letter) -> ScanCode {
            const unsigned int keycode =
                FindKeycodeAtLevel(map.get(), XK_a + static_cast<KeySym>(letter - 'a'), group, 0);
            return keycode != 0 ? ScanCodeOfXkbKeyName(names.NameOf(keycode)) : 0;
        });
    for (int code = 1; code < 256; ++code) {
        const uint8_t virtualKey = static_cast<uint8_t>(code);
        noKey_[virtualKey] = placement.HasNoKey(virtualKey);
        const ScanCode scanCode = placement.ScanCodeOf(virtualKey);
        if (scanCode == 0) continue;
        const unsigned int keycode = names.Find(XkbKeyNameOfScanCode(scanCode));
        if (keycode == 0 || keycode >= reported_.size() || !HasSymbolsInGroup(map.get(), keycode, group))
            continue;
        keycodes_[virtualKey] = keycode;
        const uint8_t reported = placement.VirtualKeyAt(scanCode);
        if (!DependsOnNumLock(reported)) reported_[keycode] = reported;
    }
}

std::vector<unsigned int> X11LayoutKeys::KeycodesForState(uint8_t virtualKey) const {
    std::vector<unsigned int> keycodes;
    auto add = [&](uint8_t code) {
        const unsigned int keycode = keycodes_[code];
        if (keycode != 0 && std::find(keycodes.begin(), keycodes.end(), keycode) == keycodes.end())
            keycodes.push_back(keycode);
    };
    add(virtualKey);
    if (const uint8_t left = LeftSideOfModifier(virtualKey); left != 0) {
        add(left);
        add(static_cast<uint8_t>(left + 1));
    }
    return keycodes;
}
