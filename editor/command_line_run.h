// The command-line form of the program on Linux: one macro file run from the top without a window, results
// on standard output and failures on standard error.
#pragma once

#include "run_from_top.h"

#include <string>

// The command-line program: reads the macro file at `path` and runs it from the top, PRINT lines and the
// closing line on standard output, error lines on standard error, both UTF-8. Returns the exit status: the
// final error code; 2 when the file does not exist (nothing printed) or cannot be read (its two failure lines
// printed). Needs no Qt.
int RunMacroFileFromCommandLine(const std::string& path);
