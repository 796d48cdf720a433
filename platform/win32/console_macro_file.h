// Macro files for the console runner on Windows, without Qt: reading them in either encoding with any line
// ends, and where the run buffer file "macrobuf.qlx" goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ConsoleMacroFile {

// True when nothing is at the path. Anything that is there but is no readable macro file (a folder, a device)
// gets the load's two lines instead.
bool IsMissing(const std::u16string& path);

// Reads the file's lines. False when it cannot be opened or read; errorText then holds the system's reason.
bool ReadLines(const std::u16string& path, std::vector<std::u16string>& lines, std::u16string& errorText);

// "macrobuf.qlx" in the program's folder when it is writable, otherwise in the user's local application data.
std::u16string BufferFilePath();

// The system's description of an error number, without its trailing line end.
std::u16string SystemErrorText(unsigned long error);

} // namespace ConsoleMacroFile
