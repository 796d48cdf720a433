// Japanese texts of the system's error numbers (errno values and Windows error codes) from tables of our own,
// with the system's own text only for the numbers the tables lack.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

// One row of a table: an error number and its Japanese text.
struct SystemErrorEntry {
    unsigned long number;
    std::u16string_view text;
};

// The tables: errno values as this system numbers them, and Windows error codes (GetLastError).
std::span<const SystemErrorEntry> ErrnoTexts();
std::span<const SystemErrorEntry> WindowsErrorTexts();

// The table's text of a number, or empty when the table lacks it.
std::u16string_view TableErrorText(std::span<const SystemErrorEntry> table, unsigned long number);

// The Japanese text of an errno value: the table's, else the system's own text (in the user's language when
// the system has one for it).
std::u16string ErrnoText(int error);

// Gives the text a program's translation makes of an English system text (Qt translates a few of them).
using SystemTextTranslation = std::function<std::u16string(const std::u16string& english)>;

// The Japanese text of a system error that is known only by the system's own text (as Qt reports the errors
// of its file classes): the table's text of the number whose system text (in English, in the user's
// language, or as `translation` makes it) it is, else the text as it came.
std::u16string JapaneseSystemErrorText(const std::u16string& systemText,
                                       const SystemTextTranslation& translation = {});
