// The built-in keyboard layout tables, read once from the texts the build embeds. A table that does not
// read is left out (the unit tests read every one).
#include "keyboard_layouts.h"

#include "keyboard_layout_texts.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr std::string_view kCommonName = "common";

struct Tables {
    KeyboardLayoutTable common;
    std::vector<KeyboardLayoutTable> layouts;
};

const Tables& AllTables() {
    static const Tables tables = [] {
        Tables read;
        for (const EmbeddedLayoutText& text : EmbeddedLayoutTexts()) {
            KeyboardLayoutTable table;
            std::string error;
            if (!ParseKeyboardLayoutTable(text.name, text.text, table, error)) continue;
            if (text.name == kCommonName)
                read.common = std::move(table);
            else
                read.layouts.push_back(std::move(table));
        }
        return read;
    }();
    return tables;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

const KeyboardLayoutTable& CommonKeyTable() {
    return AllTables().common;
}

const std::vector<KeyboardLayoutTable>& LayoutTables() {
    return AllTables().layouts;
}

const KeyboardLayoutTable* FindLayoutTable(std::string_view layout, std::string_view variant) {
    for (const KeyboardLayoutTable& table : LayoutTables()) {
        if (Contains(table.layouts, layout) && (variant.empty() || Contains(table.variants, variant)))
            return &table;
    }
    return nullptr;
}

KeyPlacement PlacementOfTable(const KeyboardLayoutTable* table) {
    KeyPlacement placement;
    if (table != nullptr) placement.Add(*table);
    placement.Add(CommonKeyTable());
    return placement;
}

KeyPlacement DerivedPlacement(const std::function<ScanCode(char lowerLetter)>& keyOfLetter) {
    KeyPlacement placement;
    std::vector<uint8_t> elsewhere;
    for (uint8_t letter = 'A'; letter <= 'Z'; ++letter) {
        const ScanCode scanCode = keyOfLetter(static_cast<char>(letter - 'A' + 'a'));
        if (scanCode != 0 && placement.VirtualKeyAt(scanCode) == 0)
            placement.Place(letter, scanCode);
        else
            elsewhere.push_back(letter);
    }
    if (const KeyboardLayoutTable* us = FindLayoutTable("us", ""); us != nullptr) {
        const KeyPlacement usPlaces = PlacementOfTable(us);
        for (uint8_t letter : elsewhere) {
            const ScanCode scanCode = usPlaces.ScanCodeOf(letter);
            if (scanCode != 0 && placement.VirtualKeyAt(scanCode) == 0) placement.Place(letter, scanCode);
        }
    }
    placement.Add(CommonKeyTable());
    return placement;
}
