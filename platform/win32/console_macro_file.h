// Macro files for the console runner on Windows, without Qt: reading them in either encoding with any line
// ends, and the run buffer file "macrobuf.qlx" written safely beside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ConsoleMacroFile {

// True when the path names an existing file that is not a folder.
bool IsFile(const std::u16string& path);

// Reads the file's lines. False when it cannot be opened or read; errorText then holds the system's reason.
bool ReadLines(const std::u16string& path, std::vector<std::u16string>& lines, std::u16string& errorText);

// Writes the run buffer file in place, without waiting for the disk: it is never read back and goes when the
// program ends. False with errorText on failure, leaving no cut-off copy.
bool WriteBuffer(const std::u16string& path, std::u16string_view text, std::u16string& errorText);

// "macrobuf.qlx" in the program's folder when it is writable, otherwise in the user's local application data.
std::u16string BufferFilePath();

// The system's description of an error number, without its trailing line end.
std::u16string SystemErrorText(unsigned long error);

} // namespace ConsoleMacroFile
