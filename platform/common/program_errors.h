// ProgramErrors: the program's own lines on standard error, kept apart from what the libraries it loads print
// there (libpng through Qt's image readers, mpg123, fluidsynth), which the user sees only when debugging.
#pragma once

#include <cstdio>

// From now on the libraries' writes to standard error go nowhere, unless QUILLONMACRO_DEBUG is set to
// anything but "" or "0". Only the program's own lines, written to ProgramErrors(), reach the user's standard
// error. Once per process; a later call does nothing.
void QuietLibraryErrors();

// Where the program writes its own error lines: the user's standard error.
std::FILE* ProgramErrors();

// The descriptor of the user's standard error, for programs a macro starts: they get the user's standard
// error, not the quietened one.
int UserStandardError();
