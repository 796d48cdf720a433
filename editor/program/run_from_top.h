// Running a macro from the top in any program: buffer file, reset of the mouse state, parse, run, error
// lines and the closing line, with the lines sent where the owner says (the editor's log, a terminal).
#pragma once

#include "macro_file.h"

#include <cstdint>
#include <functional>
#include <string>

class cMoMacro;
class cMoMacro_Error;

// Where the lines of a run go: `output` takes PRINT lines and "終了しました。", `errors` takes the three
// lines of a macro error and the two lines of a file failure. The editor sends both to its log; the terminal
// run splits them between standard output and standard error.
struct RunSinks {
    std::function<void(const std::u16string&)> output;
    std::function<void(const std::u16string&)> errors;
};

// Writes the three lines of the pending macro error: its message, its information and "行=" + its line.
void ShowMacroError(const cMoMacro_Error& error, const RunSinks& sinks);

// The run from the top: writes `text` to the buffer file (a failure only logs), resets the mouse state kept
// by the built-ins, hands the text to the facade (which parses it) and, when it parses, runs it. A parse
// error shows its lines and stops; a run shows its error lines, if any, and then "終了しました。". Returns
// the final error code.
int32_t RunMacroFromTop(cMoMacro& macro, const std::u16string& text, OwnBufferFile& buffer,
                        const RunSinks& sinks);
