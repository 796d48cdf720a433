// The texts of QuillonMacro's own options on Linux: the usage of "--help" and the line of "--version", and
// the line a missing macro file leaves on standard error.
#pragma once

#include <string>

// The usage: the forms of the command, the exit statuses and the environment variables that choose the
// desktop. UTF-8, ending in a line end.
std::string UsageText();

// "QuillonMacro " and the program's version, with a line end.
std::string VersionText();

// The one line on standard error for a macro file that does not exist, naming the path (its bytes as given).
std::string MissingFileLine(const std::string& path);
