// Conversions, arithmetic, comparison and text forms of MacroValue.
// Operations that can fail return a failure number (0 = success) that the caller turns into its own error
// code.
#pragma once

#include "macro_value.h"

#include <string>
#include <string_view>

// Failure numbers of value operations and platform steps; their descriptions are in failure_text.h.
enum : int {
    kFailNone = 0,
    kFailInvalidArgument = 5,
    kFailOverflow = 6,
    kFailOutOfMemory = 7,
    kFailDivisionByZero = 11,
    kFailTypeMismatch = 13,
    kFailFileNotFound = 53,
};

// A 128-bit integer for exact fixed-point products and quotients.
__extension__ typedef __int128 WideInt;
// numerator / denominator rounded to the nearest whole number, halves to the even neighbour (denominator >
// 0).
WideInt DivideRoundEven(WideInt numerator, int64_t denominator);

// The longest text a value may hold (16 Mi characters); joining past it fails with 6, so a macro that keeps
// doubling a text ends with an error instead of exhausting the machine's memory.
constexpr size_t kMaxTextLength = size_t{1} << 24;
// Whether a text of this many characters may be made: 6 past kMaxTextLength, 7 when its characters would not
// fit in the thread's text memory budget (see memory_budget.h), else 0.
int TextLengthFailure(size_t length);
// Joins two texts, or fails as TextLengthFailure says for the joined length.
int JoinTexts(const std::u16string& left, const std::u16string& right, MacroValue& out);

// Text form of a value: numbers in their shortest form, booleans "True"/"False", empty and null "".
std::u16string ToText(const MacroValue& value);
std::u16string FormatDouble(double value);
std::u16string FormatSingle(float value);
std::u16string FormatFixed(int64_t tenThousandths);

// Strict reading of a whole text as a number (blanks around it allowed; sign, digits, one point, exponent E
// or D;
// "&H" hexadecimal and "&O" octal). Fails with 13 when the text is not a number, 6 when it does not fit.
int ParseNumberText(std::u16string_view text, double& out);

// Lenient reading of the leading number of a text: blanks, tabs and line feeds are skipped wherever they
// stand, reading stops at the first character that cannot continue a number, nothing readable gives 0. Fails
// only with 6 (a hexadecimal or octal constant that does not fit, or an exponent beyond the double range).
int ReadLeadingNumber(std::u16string_view text, double& out);

// A value as a double: numbers directly, empty as 0, text through ParseNumberText; others fail with 13.
int ToDouble(const MacroValue& value, double& out);
// A value as a signed 32-bit whole number, halves to the even neighbour; out of range fails with 6.
int ToInt32(const MacroValue& value, int32_t& out);
// Rounds a double to a signed 32-bit whole number, halves to the even neighbour; out of range fails with 6.
int RoundToInt32(double value, int32_t& out);

// Binary operators of the language. "+" joins two strings; every operator converts a string that meets a
// number.
int AddValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int SubtractValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int MultiplyValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int DivideValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int IntDivideValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int ModValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
// left raised to the power of right.
int PowerValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int AndValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int OrValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int XorValues(const MacroValue& left, const MacroValue& right, MacroValue& out);
int NotValue(const MacroValue& operand, MacroValue& out);
int NegateValue(const MacroValue& operand, MacroValue& out);

// Orders two values: numbers numerically, strings by character code, a number below any string;
// empty is 0 beside a number and "" beside a string. Returns -1, 0 or 1.
int CompareValues(const MacroValue& left, const MacroValue& right);
// Equality as token items compare it: the same as CompareValues == 0, but a list equals only the same list.
bool ValuesEqual(const MacroValue& left, const MacroValue& right);
// Truth of a condition: non-zero numbers and true are true, empty and null false; a string fails with 13.
int ValueTruth(const MacroValue& value, bool& out);
