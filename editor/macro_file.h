// Macro files on disk (their bytes decoded and encoded by macro_text.h): reading, writing them safely, and
// the run buffer file "macrobuf.qlx" and its location.
#pragma once

#include "macro_text.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Receives one log line (a failure report); the owner shows it in its log or on standard error.
using MacroFileLog = std::function<void(const std::u16string&)>;

// Reads the file's lines. Returns false when the file cannot be opened or read; then `lines` holds what was
// read so far and `errorText` the system's description of the failure.
bool ReadMacroLines(const QString& path, std::vector<std::u16string>& lines, std::u16string& errorText);

// The editor's load: every line followed by CR LF. On failure logs "マクロの読み込みに失敗しました。 - " +
// path and the system's error text, and returns the text read so far.
std::u16string LoadMacroFile(const QString& path, const MacroFileLog& log);

// Writes EncodeMacroText(text) through a temporary file in the target's folder that then replaces the target,
// so a failed save leaves the old file whole. On failure logs "マクロの保存に失敗しました。 - " + path and
// the system's error text, and returns false.
bool SaveMacroFile(const QString& path, std::u16string_view text, const MacroFileLog& log);

// Writes the copy of the macro text a run from the top leaves beside the program (same bytes as a save). It
// is never read back and is deleted when the program ends, so it is written in place without waiting for the
// disk: a save's wait for the disk costs more than a short macro takes. On failure logs the save's two lines,
// leaves no cut-off copy and returns false.
bool WriteBufferFile(const QString& path, std::u16string_view text, const MacroFileLog& log);

// Where runs from the top write their copy of the macro text: "macrobuf.qlx" in the program's folder when
// that folder is writable, otherwise in the user's cache folder (created when missing).
QString BufferFilePath();
