// Generators of the macro texts that the microbenchmarks parse and run: a long mix of typical statements,
// straight runs of one statement, and a tight FOR loop.
#include "bench_macros.h"

#include <array>
#include <string>
#include <string_view>

namespace {

constexpr std::u16string_view kEol = u"\r\n";

// One self-contained block of typical statements; repeated to fill the realistic macro.
constexpr std::array<std::u16string_view, 17> kBlock = {
    u"total = total + i * 2 - 1",
    u"s = s + MID(\"abcdefgh\", 2, 3)",
    u"IF (total MOD 7 = 0) AND (i > 3) THEN",
    u"  count = count + 1",
    u"ELSE",
    u"  count = count - 1",
    u"END IF",
    u"FOR i = 1 TO 10 STEP 2",
    u"  arr(i) = arr(i) + LEN(s)",
    u"NEXT",
    u"WHILE count < 0",
    u"  count = count + 5",
    u"WEND",
    u"' keep the text short: cut it back when it grows",
    u"s = LEFT(s, 20)",
    u"PRINT \"total: \" ; total",
    u"x = helper(total, 3) + INSTR(s, \"cd\") + VAL(\"12\")",
};

constexpr std::array<std::u16string_view, 1> kHeader = {
    u"DIM total, count, i, s, x, arr(10)",
};

constexpr std::array<std::u16string_view, 3> kFooter = {
    u"FUNCTION helper(a, b)",
    u"  helper = a * b",
    u"END FUNCTION",
};

std::u16string Digits(int32_t n) {
    std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

void AddLine(std::u16string& text, std::u16string_view line) {
    text += line;
    text += kEol;
}

} // namespace

std::u16string RealisticMacro(int32_t lines) {
    std::u16string text;
    int32_t body = lines - static_cast<int32_t>(kHeader.size() + kFooter.size());
    for (std::u16string_view line : kHeader) AddLine(text, line);
    int32_t written = 0;
    while (written + static_cast<int32_t>(kBlock.size()) <= body) {
        for (std::u16string_view line : kBlock) AddLine(text, line);
        written += static_cast<int32_t>(kBlock.size());
    }
    for (; written < body; ++written) AddLine(text, u"x = x + 1");
    for (std::u16string_view line : kFooter) AddLine(text, line);
    return text;
}

std::u16string StraightLineMacro(int32_t statements, const std::u16string& statement) {
    std::u16string text;
    AddLine(text, u"DIM x");
    for (int32_t i = 0; i < statements; ++i) AddLine(text, statement);
    return text;
}

std::u16string TightLoopMacro(int32_t iterations) {
    std::u16string text;
    AddLine(text, u"DIM i, x");
    AddLine(text, u"FOR i = 1 TO " + Digits(iterations));
    AddLine(text, u"  x = x + 1");
    AddLine(text, u"NEXT");
    return text;
}
