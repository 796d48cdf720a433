// Macro files on disk on Windows: the same operations as on Linux over the Windows file API of the console
// runner. Paths are UTF-8 here (the editor converts Qt's paths so), so every file name can be reached.
#include "macro_file.h"

#include "codepage.h"
#include "console_macro_file.h"

bool ReadMacroLines(const std::string& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    return ConsoleMacroFile::ReadLines(FromUtf8(path), lines, errorText);
}

std::string BufferFilePath() {
    return ToUtf8(ConsoleMacroFile::BufferFilePath());
}
