// The editor's load and save of macro files, by Qt path: the load reads the lines as every run does, the save
// writes through a temporary file that then replaces the target.
#pragma once

#include "macro_file.h"

#include <QString>

#include <string>
#include <string_view>

// The editor's load: every line followed by CR LF. On failure logs "マクロの読み込みに失敗しました。 - " +
// path and the system's error text, and returns the text read so far.
std::u16string LoadMacroFile(const QString& path, const MacroFileLog& log);

// Writes EncodeMacroText(text) through a temporary file in the target's folder that then replaces the target,
// so a failed save leaves the old file whole. On failure logs "マクロの保存に失敗しました。 - " + path and
// the system's error text, and returns false.
bool SaveMacroFile(const QString& path, std::u16string_view text, const MacroFileLog& log);

// A Qt path as the system's bytes, for the file routines every run uses, and back.
std::string SystemPath(const QString& path);

// Qt's text of a file's last error, in the table's Japanese when it is one of the system's errors (Qt gives a
// few of those through its own translation).
std::u16string QtFileErrorText(const QString& error);
QString QtPath(const std::string& path);
