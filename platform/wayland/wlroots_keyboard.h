// WlrootsKeyboard: a virtual keyboard (zwp_virtual_keyboard_v1) with a keymap of this program's own, the
// layout's; a keysym no key carries is typed through a spare keycode the keymap lends it until the run ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class WlrootsConnection;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct zwp_virtual_keyboard_v1;

class WlrootsKeyboard {
  public:
    explicit WlrootsKeyboard(WlrootsConnection& connection);
    ~WlrootsKeyboard();
    WlrootsKeyboard(const WlrootsKeyboard&) = delete;
    WlrootsKeyboard& operator=(const WlrootsKeyboard&) = delete;

    // Compiles the layout's keymap and creates the keyboard with it; false when either fails.
    bool Open(const std::string& layout, const std::string& variant);
    void Key(uint32_t evdevCode, bool down);
    bool KeySym(uint32_t keysym, bool down);
    // Gives the lent keycodes back: the layout's own keymap again.
    void RestoreKeymap();

  private:
    // A keycode lent to a keysym, and whether its key is down now.
    struct Loan {
        uint32_t keycode = 0;
        uint32_t keysym = 0;
        bool down = false;
    };

    bool Upload(const std::string& keymapText);
    bool UploadWithLoans();
    void SendKey(uint32_t keycode, bool down);
    void SendModifiers();

    WlrootsConnection& connection_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::string keymapText_;
    std::vector<uint32_t> spareKeycodes_; // named keys of the keymap that carry no symbol
    std::vector<Loan> loans_;
    uint32_t sentModifiers_[4] = {0, 0, 0, 0}; // depressed, latched, locked, group
};

// The keymap text with `key <NAME> { [ keysym ] };` lines added to its symbols section for each pair of
// key name and keysym name; empty when the text has no symbols section.
std::string WlrootsKeymapWithLoans(const std::string& keymapText,
                                   const std::vector<std::pair<std::string, std::string>>& loans);
