// The command-line form of the program on Linux: one macro file run from the top without a window, results
// on standard output and failures on standard error.
#pragma once

#include "run_from_top.h"

#include <string>

// The command-line program: reads the macro file at `path` and runs it from the top, PRINT lines and the
// closing line on standard output, error lines on standard error, both UTF-8. Returns the exit status: the
// final error code; 2 when the file cannot be read (its two failure lines printed). MSGBOX, INPUTBOX and MES
// load the editor part and with it Qt on their first use, when the desktop answers; a run without them loads
// no Qt.
int RunMacroFileFromCommandLine(const std::string& path);
