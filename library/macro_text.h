// Macro file contents without file access, shared by the editor, the command line and the Windows runner:
// decoding the bytes of a macro file, splitting its lines, and encoding a macro for saving.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The reasons of a refused load that are the program's own rather than the system's.
inline constexpr std::u16string_view kNotARegularFileText = u"通常のファイルではありません";
inline constexpr std::u16string_view kMacroFileTooLargeText = u"ファイルが大きすぎます（64MB まで）";
// The largest macro file read: far beyond any macro written by hand, and small enough that reading a device
// or a runaway file cannot take the program's memory.
inline constexpr size_t kMacroFileByteLimit = size_t{64} << 20;

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
