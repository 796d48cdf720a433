// Radix conversion between texts of digits and signed 32-bit numbers (used by GETCOLOR).
// Plain procedures without state (implemented with the string built-ins); each returns a failure number
// (0 success, 5, 6 or 13) to its caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// out = DecimalToRadix(toRadix, RadixToDecimal(fromRadix, text)).
int ConvertRadix(int32_t fromRadix, int32_t toRadix, std::u16string_view text, std::u16string& out);
// Reads the digits from the right with a weight multiplied by the radix after every digit, the last one
// included; every product and sum is checked for 32-bit overflow (6). Digits are not checked against the
// radix.
int RadixToDecimal(int32_t radix, std::u16string_view text, int32_t& out);
// The digits of value in the radix, "0" for 0, "" for a negative value. Values whose next weight would not
// fit 32 bits fail with 6; a radix below 2 fails with 5 (the digit loop would never end).
int DecimalToRadix(int32_t radix, int32_t value, std::u16string& out);
// The value of one digit character: "0".."9" their value, letters (any case) and everything above "@" the
// upper-cased code minus 55 ("A" = 10 … "Z" = 35); any other character fails with 13.
int DigitValue(char16_t character, int32_t& out);
// The digit character of a value: 10 and above give the code value + 55 ("A" for 10); 9 and below their
// decimal text.
std::u16string DigitChar(int32_t value);
