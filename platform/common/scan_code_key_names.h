// The physical keys of a PC keyboard by their scan codes (set 1) and by the names XKB gives the same keys
// (AE01, AC01, TLDE, LSGT, HENK, …), which hold whatever numbers a server's keycodes have.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Scan codes are numbers: 0xNN for a plain key, 0xE0NN for an extended key (E0 prefix), 0xE11D45 for
// Pause. 0 is no key.
using ScanCode = uint32_t;

// Reads "1E", "E01D" or "E11D45" (hexadecimal, either case); 0 when the text is no valid scan code.
ScanCode ParseScanCode(std::string_view text);
// The text form ParseScanCode reads: "1E", "E01D", "E11D45".
std::string ScanCodeText(ScanCode scanCode);

// The XKB name of the key with the scan code ("AC01"); empty for a key this table does not know.
std::string_view XkbKeyNameOfScanCode(ScanCode scanCode);
// The scan code of the key with the XKB name; 0 when no key of this table has that name.
ScanCode ScanCodeOfXkbKeyName(std::string_view keyName);
