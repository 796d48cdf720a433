// Keyboard layout tables: which physical key (scan code) Windows gives each virtual-key code on one layout,
// read from the text of a table, and the placement of the codes on a layout with the common keys added.
#pragma once

#include "scan_code_key_names.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct LayoutKeyLine {
    uint8_t virtualKey = 0;
    ScanCode scanCode = 0; // 0: the layout has no key for the code ("-" in the table)
    int line = 0;          // its line in the table's text, from 1
};

struct KeyboardLayoutTable {
    std::string name;                  // the table's file name without ".txt"
    std::vector<std::string> layouts;  // the XKB layout names it serves ("layouts" line)
    std::vector<std::string> variants; // the XKB variants it serves besides the default ("variants" line)
    std::vector<LayoutKeyLine> keys;   // in the order of the text
};

// Reads the text of a table (format in keyboard_layouts/common.txt). False, with a message naming the line,
// when a line is not understood, names an unknown code or key, or lists a code a second time.
bool ParseKeyboardLayoutTable(std::string_view name, std::string_view text, KeyboardLayoutTable& out,
                              std::string& error);

// Where the codes are on one layout. Lines are taken in order; a code keeps the first place it is given,
// and a key reports the first code placed on it.
class KeyPlacement {
  public:
    // Places the codes of the tables one after the other (the layout's own table, then the common keys).
    void Add(const KeyboardLayoutTable& table);
    // Places one code on a key, or marks it as having no key (scan code 0); false when the code already
    // has its place.
    bool Place(uint8_t virtualKey, ScanCode scanCode);

    // The key of the code; 0 when the code has no key or was never placed.
    ScanCode ScanCodeOf(uint8_t virtualKey) const { return scanCodes_[virtualKey]; }
    // True when the layout says it has no key for the code (as opposed to saying nothing about it).
    bool HasNoKey(uint8_t virtualKey) const { return placed_[virtualKey] && scanCodes_[virtualKey] == 0; }
    bool IsPlaced(uint8_t virtualKey) const { return placed_[virtualKey]; }
    // The code a key reports; 0 for a key no code is placed on.
    uint8_t VirtualKeyAt(ScanCode scanCode) const;

  private:
    std::array<ScanCode, 256> scanCodes_{};
    std::array<bool, 256> placed_{};
    std::vector<std::pair<ScanCode, uint8_t>> reporting_; // each key with the code it reports
};
