// Text for the Windows API: UTF-16 as wide strings, and the system's ANSI code page for the "A" functions.
#pragma once

#include <optional>
#include <string>

// The same UTF-16 code units as a wide string (wchar_t is 16 bits on Windows).
std::wstring ToWide(const std::u16string& text);
std::u16string FromWide(const std::wstring& text);

// The text in the system's ANSI code page (CP932 on a Japanese system), or nothing when a character has no
// exact code there; callers then use the wide form of the function so no character is replaced by "?".
std::optional<std::string> ToAnsiExactly(const std::u16string& text);

// The Japanese text of a Windows error code: our table's, else the system's description without its
// trailing line end ("error N" when it has none).
std::u16string Win32ErrorText(unsigned long error);
