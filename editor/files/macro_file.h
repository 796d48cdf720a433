// Macro files on disk for every run (their bytes decoded and encoded by macro_text.h): reading their lines,
// the run buffer file "macrobuf.qlx" and its location. Paths are the system's bytes; no Qt needed.
#pragma once

#include "common/own_buffer_file.h"
#include "common/private_runtime_folder.h"
#include "macro_text.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Receives one log line (a failure report); the owner shows it in its log or on standard error.
using MacroFileLog = std::function<void(const std::u16string&)>;

// The first lines of a failed load and of a failed save; the path follows.
inline constexpr std::u16string_view kLoadFailedText = u"マクロの読み込みに失敗しました。 - ";
inline constexpr std::u16string_view kSaveFailedText = u"マクロの保存に失敗しました。 - ";

// Logs a failure's two lines: `prefix` and the path (its bytes read as UTF-8), then the system's error text.
void LogFileFailure(const MacroFileLog& log, std::u16string_view prefix, const std::string& path,
                    const std::u16string& error);

// Reads the file's lines; only regular files are read, up to kMacroFileByteLimit bytes (a pipe, a device or a
// folder is refused at once, never waited on). Returns false when the file cannot be opened or read; then
// `lines` holds what was read so far (nothing for a refused or too large file) and `errorText` the reason.
bool ReadMacroLines(const std::string& path, std::vector<std::u16string>& lines, std::u16string& errorText);

// Writes the copy of the macro text a run from the top leaves beside the program (same bytes as a save), in
// a file of this process's own (see OwnBufferFile). It is never read back and is deleted when the program
// ends, so it is written in place without waiting for the disk: a save's wait for the disk costs more than a
// short macro takes. On failure logs the save's two lines, leaves no cut-off copy and returns false.
bool WriteBufferFile(OwnBufferFile& file, std::u16string_view text, const MacroFileLog& log);

// Where runs from the top write their copy of the macro text: "macrobuf.qlx" in the program's folder when
// that folder is writable, otherwise in the user's cache folder (created when missing, and only the user's:
// the copy may hold a macro's passwords).
std::string BufferFilePath();

// True when the path names a regular file of the user's, not a link, of at most `largest` bytes: a file that
// can be read without blocking (a FIFO), without reaching through a link, and without running out of memory.
bool IsOwnRegularFile(const std::string& path, int64_t largest);
