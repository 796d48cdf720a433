// Macro files on disk on Windows: the same operations as on Linux over the Windows file API of the console
// runner. Paths are UTF-8 here (the editor converts Qt's paths so), so every file name can be reached.
#include "macro_file.h"

#include "codepage.h"
#include "console_macro_file.h"
#include "win32_text.h"

#include <windows.h>

bool ReadMacroLines(const std::string& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    return ConsoleMacroFile::ReadLines(FromUtf8(path), lines, errorText);
}

std::string BufferFilePath() {
    return ToUtf8(ConsoleMacroFile::BufferFilePath());
}

bool IsOwnRegularFile(const std::string& path, int64_t largest) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWide(FromUtf8(path)).c_str(), GetFileExInfoStandard, &data)) return false;
    const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return (data.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0 &&
           size <= largest;
}
