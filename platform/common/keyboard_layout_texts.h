// The texts of the keyboard layout tables (keyboard_layouts/*.txt), carried in the program: the build
// writes them into a generated source (cmake/EmbedKeyboardLayouts.cmake).
#pragma once

#include <span>
#include <string_view>

struct EmbeddedLayoutText {
    std::string_view name; // the file name without ".txt"
    std::string_view text;
};

// Every table, in the order of the file names.
std::span<const EmbeddedLayoutText> EmbeddedLayoutTexts();
