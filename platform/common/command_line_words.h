// SplitCommandLine and FindProgram: the words of a SHELL command line, split the way a POSIX shell splits
// words (no expansions), and the program file its first word names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits at blanks, tabs and line ends. Single quotes keep everything up to the next single quote; double
// quotes keep everything up to the next unescaped double quote, where a backslash escapes only $ ` " \ and a
// line end; outside quotes a backslash keeps the next character as it is (and a backslash before a line end
// removes both). "" and '' give an empty word. False for an unclosed quote or a trailing lone backslash.
bool SplitCommandLine(std::string_view line, std::vector<std::string>& words);

// The file to run for a program word: a word with a slash is taken as a path as it is; any other word is
// looked up in the directories of PATH (an empty entry is the current folder; without PATH, the usual system
// folders). Only a regular file we may execute counts. False when there is none.
bool FindProgram(const std::string& word, const char* pathVariable, std::string& file);
