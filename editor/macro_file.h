// Macro files on disk: reading them in either encoding with any line ends, writing them safely, and the
// location of the run buffer file "macrobuf.qlx".
#pragma once

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Receives one log line (a failure report); the owner shows it in its log or on standard error.
using MacroFileLog = std::function<void(const std::u16string&)>;

// Decodes the bytes of a macro file: valid UTF-8 (a leading BOM is dropped) is read as UTF-8, anything else
// as CP932, where bytes without a CP932 meaning become U+FFFD.
std::u16string DecodeMacroBytes(std::string_view bytes);

// Splits text into lines. A line ends at CR LF, at a lone CR or at a lone LF; an empty piece after the last
// line end is not a line, so "A\r\nB\r\n" gives two lines.
std::vector<std::u16string> SplitMacroLines(std::u16string_view text);

// Reads the file's lines. Returns false when the file cannot be opened or read; then `lines` holds what was
// read so far and `errorText` the system's description of the failure.
bool ReadMacroLines(const QString& path, std::vector<std::u16string>& lines, std::u16string& errorText);

// The editor's load: every line followed by CR LF. On failure logs "マクロの読み込みに失敗しました。 - " +
// path and the system's error text, and returns the text read so far.
std::u16string LoadMacroFile(const QString& path, const MacroFileLog& log);

// The bytes a save writes for `text`: its line ends made CR LF, then one more CR LF. CP932 when that encoding
// gives the text back unchanged on loading, otherwise UTF-8 with a BOM, so no character is replaced or lost.
std::string EncodeMacroText(std::u16string_view text);

// Writes EncodeMacroText(text) through a temporary file in the target's folder that then replaces the target,
// so a failed save leaves the old file whole. On failure logs "マクロの保存に失敗しました。 - " + path and
// the system's error text, and returns false.
bool SaveMacroFile(const QString& path, std::u16string_view text, const MacroFileLog& log);

// Where runs from the top write their copy of the macro text: "macrobuf.qlx" in the program's folder when
// that folder is writable, otherwise in the user's cache folder (created when missing).
QString BufferFilePath();
