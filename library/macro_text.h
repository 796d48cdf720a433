// Macro file contents without file access, shared by the editor, the command line and the Windows runner:
// decoding the bytes of a macro file, splitting its lines, and encoding a macro for saving.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Valid UTF-8 (a leading BOM dropped) is read as UTF-8, anything else as CP932, where bytes without a CP932
// meaning become U+FFFD.
std::u16string DecodeMacroBytes(std::string_view bytes);

// A line ends at CR LF, at a lone CR or at a lone LF; an empty piece after the last line end is no line.
std::vector<std::u16string> SplitMacroLines(std::u16string_view text);

// The lines as one macro text, joined with CR LF (the form a run from the top is given).
std::u16string JoinMacroLines(const std::vector<std::u16string>& lines);

// The bytes of a saved macro: line ends made CR LF plus one more CR LF; CP932 when loading gives the text
// back unchanged, otherwise UTF-8 with a BOM.
std::string EncodeMacroText(std::u16string_view text);
