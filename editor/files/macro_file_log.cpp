// What every program's macro-file routines share: the failure report (the failing step with the path, then
// the system's reason, as two log lines) and the writing of the run buffer file.
#include "macro_file.h"

#include "codepage.h"

bool WriteBufferFile(OwnBufferFile& file, std::u16string_view text, const MacroFileLog& log) {
    std::u16string errorText;
    if (file.Write(EncodeMacroText(text), errorText)) return true;
    LogFileFailure(log, kSaveFailedText, file.Path(), errorText);
    return false;
}

void LogFileFailure(const MacroFileLog& log, std::u16string_view prefix, const std::string& path,
                    const std::u16string& error) {
    if (!log) return;
    log(std::u16string(prefix) + FromUtf8(path));
    log(error);
}
