// The failure report shared by every program's macro-file routines: the failing step with the path, then the
// system's reason, as two log lines.
#include "macro_file.h"

#include "codepage.h"

void LogFileFailure(const MacroFileLog& log, std::u16string_view prefix, const std::string& path,
                    const std::u16string& error) {
    if (!log) return;
    log(std::u16string(prefix) + FromUtf8(path));
    log(error);
}
