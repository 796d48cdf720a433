// The keyboard layout tables built into the program and the choice of the table for an XKB layout.
#pragma once

#include "keyboard_layout_table.h"

#include <functional>
#include <string_view>
#include <vector>

// The keys every layout has at the same place (common.txt).
const KeyboardLayoutTable& CommonKeyTable();
// The tables of the layouts, every table but the common one.
const std::vector<KeyboardLayoutTable>& LayoutTables();
// The table serving the XKB layout ("de") with the variant ("" for the default, "nodeadkeys"); null when no
// table serves it.
const KeyboardLayoutTable* FindLayoutTable(std::string_view layout, std::string_view variant);
// The placement of the codes on the layout of the table (null: the common keys alone).
KeyPlacement PlacementOfTable(const KeyboardLayoutTable* table);
// The placement on a layout without a table: each letter on the key that carries it at the base level (as
// Windows places letters by their character on Latin layouts; `keyOfLetter` gives that key for the lower-case
// letter, 0 for none), else on its US place when that key is still free (layouts of other scripts, where
// Windows keeps the US places); then the common keys.
KeyPlacement DerivedPlacement(const std::function<ScanCode(char lowerLetter)>& keyOfLetter);
