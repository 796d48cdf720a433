// Macro texts for the microbenchmarks: a long realistic macro for parsing, and straight-line and looping
// macros whose number of executed statements is known.
#pragma once

#include <cstdint>
#include <string>

// A macro of exactly `lines` lines (CR LF ends) that mixes the statements people write: DIM, assignments
// with arithmetic and string expressions, built-in calls, IF/ELSE, FOR/STEP, WHILE, comments, PRINT and a
// user function. Every block is closed, so the whole text parses without error. Needs lines >= 8.
std::u16string RealisticMacro(int32_t lines);

// DIM x, then `statements` copies of `statement`, one per line.
std::u16string StraightLineMacro(int32_t statements, const std::u16string& statement);

// DIM i, x and a FOR loop of `iterations` turns around the single statement x = x + 1.
std::u16string TightLoopMacro(int32_t iterations);
