// The system code page (CP932, the Japanese one, on every platform) and UTF-8 conversions at the edges.
// Used by the lexer's character check and by whoever reads or writes macro files.
#pragma once

#include <string>
#include <string_view>

// The CP932 code of one UTF-16 code unit: 0x00-0xFF for single-byte codes, 0x8140-0xFCFC for double-byte
// codes, 0x3F ("?") when the character has no CP932 code (as the system's conversion replaces it).
int Cp932Code(char16_t character);

// Converts UTF-16 text to CP932 bytes; returns false (and leaves out untouched) when a character has no code.
bool EncodeCp932(std::u16string_view text, std::string& out);
// Converts CP932 bytes to UTF-16; returns false when the bytes are not valid CP932.
bool DecodeCp932(std::string_view bytes, std::u16string& out);

// UTF-8 <-> UTF-16. DecodeUtf8 returns false for bytes that are not valid UTF-8.
std::string ToUtf8(std::u16string_view text);
bool DecodeUtf8(std::string_view bytes, std::u16string& out);
// Lenient form for literals and messages in code: invalid bytes become U+FFFD.
std::u16string FromUtf8(std::string_view bytes);
