// The virtual keyboard of a wlroots compositor: the layout's keymap compiled here and handed to the
// compositor, key events by keycode, the modifiers sent after each key that changes them (followed in an
// xkb_state of our own), and keycodes without symbols lent to keysyms the layout lacks.
#include "wlroots_keyboard.h"

#include "monotonic_clock.h"
#include "virtual-keyboard-unstable-v1-client.h"
#include "wlroots_connection.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr uint32_t kEvdevOffset = 8; // XKB keycodes are Linux input codes plus 8

uint32_t Now() {
    return static_cast<uint32_t>(MonotonicMilliseconds());
}

} // namespace

std::string WlrootsKeymapWithLoans(const std::string& keymapText,
                                   const std::vector<std::pair<std::string, std::string>>& loans) {
    const size_t section = keymapText.find("xkb_symbols");
    if (section == std::string::npos) return {};
    const size_t end = keymapText.find("\n};", section);
    if (end == std::string::npos) return {};
    std::string lines;
    for (const auto& [key, keysym] : loans) lines += "\n\tkey <" + key + "> { [ " + keysym + " ] };";
    std::string text = keymapText;
    text.insert(end, lines);
    return text;
}

WlrootsKeyboard::WlrootsKeyboard(WlrootsConnection& connection) : connection_(connection) {}

WlrootsKeyboard::~WlrootsKeyboard() {
    if (keyboard_ != nullptr) zwp_virtual_keyboard_v1_destroy(keyboard_);
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    if (context_ != nullptr) xkb_context_unref(context_);
}

bool WlrootsKeyboard::Open(const std::string& layout, const std::string& variant) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context_ == nullptr) return false;
    const std::string chosen = layout.empty() ? std::string("us") : layout;
    xkb_rule_names names{};
    names.rules = "evdev";
    names.model = "pc105";
    names.layout = chosen.c_str();
    names.variant = layout.empty() ? "" : variant.c_str();
    keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ == nullptr) return false;
    char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (text == nullptr) return false;
    keymapText_ = text;
    free(text);
    state_ = xkb_state_new(keymap_);
    // The highest named keycodes without symbols are lent first: no keyboard has such keys.
    for (xkb_keycode_t code = xkb_keymap_max_keycode(keymap_); code > kEvdevOffset; --code)
        if (xkb_keymap_key_get_name(keymap_, code) != nullptr &&
            xkb_keymap_num_layouts_for_key(keymap_, code) == 0)
            spareKeycodes_.push_back(code);
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(connection_.KeyboardManager(),
                                                                        connection_.Seat());
    return state_ != nullptr && Upload(keymapText_) && connection_.Roundtrip();
}

bool WlrootsKeyboard::Upload(const std::string& keymapText) {
    const int fd = memfd_create("quillonmacro-keymap", MFD_CLOEXEC);
    if (fd < 0) return false;
    const size_t size = keymapText.size() + 1; // with its closing NUL
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, keymapText.c_str() + written, size - written);
        if (n <= 0) {
            close(fd);
            return false;
        }
        written += static_cast<size_t>(n);
    }
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<uint32_t>(size));
    close(fd); // the request carries a duplicate
    return connection_.Flush();
}

bool WlrootsKeyboard::UploadWithLoans() {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const Loan& loan : loans_) {
        char name[64];
        if (xkb_keysym_get_name(loan.keysym, name, sizeof name) <= 0) return false;
        pairs.emplace_back(xkb_keymap_key_get_name(keymap_, loan.keycode), name);
    }
    const std::string text = WlrootsKeymapWithLoans(keymapText_, pairs);
    return !text.empty() && Upload(text);
}

void WlrootsKeyboard::SendModifiers() {
    const uint32_t now[4] = {xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
                             xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
                             xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
                             xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE)};
    if (std::equal(now, now + 4, sentModifiers_)) return;
    std::copy(now, now + 4, sentModifiers_);
    zwp_virtual_keyboard_v1_modifiers(keyboard_, now[0], now[1], now[2], now[3]);
}

void WlrootsKeyboard::SendKey(uint32_t keycode, bool down) {
    zwp_virtual_keyboard_v1_key(keyboard_, Now(), keycode - kEvdevOffset,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    xkb_state_update_key(state_, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    SendModifiers();
    connection_.Flush();
}

void WlrootsKeyboard::Key(uint32_t evdevCode, bool down) {
    if (keyboard_ != nullptr && evdevCode != 0) SendKey(evdevCode + kEvdevOffset, down);
}

bool WlrootsKeyboard::KeySym(uint32_t keysym, bool down) {
    if (keyboard_ == nullptr) return false;
    auto lent =
        std::find_if(loans_.begin(), loans_.end(), [&](const Loan& loan) { return loan.keysym == keysym; });
    if (!down) {
        if (lent == loans_.end() || !lent->down) return false;
        lent->down = false;
        SendKey(lent->keycode, false);
        return true;
    }
    if (lent == loans_.end()) {
        // A fresh keycode while one is left; else one whose key is up is lent anew.
        if (loans_.size() < spareKeycodes_.size()) {
            loans_.push_back(Loan{spareKeycodes_[loans_.size()], keysym, false});
            lent = loans_.end() - 1;
        } else {
            lent = std::find_if(loans_.begin(), loans_.end(), [](const Loan& loan) { return !loan.down; });
            if (lent == loans_.end()) return false;
            lent->keysym = keysym;
        }
        if (!UploadWithLoans()) {
            loans_.erase(lent);
            return false;
        }
    }
    lent->down = true;
    SendKey(lent->keycode, true);
    return true;
}

void WlrootsKeyboard::RestoreKeymap() {
    if (keyboard_ == nullptr || loans_.empty()) return;
    if (std::any_of(loans_.begin(), loans_.end(), [](const Loan& loan) { return loan.down; })) return;
    loans_.clear();
    Upload(keymapText_);
}
