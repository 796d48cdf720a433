// The statement compiler: turns the typed tokens of one line into its compiled statement form
// (a keyword item followed by nested lists for targets, expressions and arguments), reporting syntax errors.
#pragma once

#include "error.h"
#include "token.h"

// The compiled statement of a line, or an incomplete one after an error has been reported.
TokenRef CompileStatement(const cMoMacro_Token& tokens, cMoMacro_Error& error);
// One list per comma-separated argument of tokens[first..last] (last -1: the last token); nullptr after an
// error.
TokenRef ParseArguments(const cMoMacro_Token& tokens, int32_t first, int32_t last, cMoMacro_Error& error);
// The tokens from start through the parenthesis that closes the one opened there; end receives the index of
// the last token taken. nullptr after an error.
TokenRef CutParenGroup(const cMoMacro_Token& tokens, int32_t start, int32_t& end, cMoMacro_Error& error);
