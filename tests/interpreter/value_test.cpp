// Tests of MacroValue and its shared operations: text forms, reading numbers from text, rounding to 32-bit,
// arithmetic kinds and widening, string "+", "\" and MOD, logical operators, comparison and truth.
#include "test_support.h"
#include "value_ops.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

using qmtest::NumberText;
using qmtest::Show;

using BinaryOp = int (*)(const MacroValue&, const MacroValue&, MacroValue&);
using UnaryOp = int (*)(const MacroValue&, MacroValue&);

MacroValue I16(int16_t v) {
    return MacroValue::Int16(v);
}
MacroValue I32(int32_t v) {
    return MacroValue::Int32(v);
}
MacroValue Dbl(double v) {
    return MacroValue::Double(v);
}
MacroValue Str(std::u16string v) {
    return MacroValue::String(std::move(v));
}
MacroValue Bool(bool v) {
    return MacroValue::Boolean(v);
}

// "fail N" or the result with its kind.
std::string Apply(BinaryOp op, const MacroValue& left, const MacroValue& right) {
    MacroValue out;
    int fail = op(left, right, out);
    return fail != 0 ? "fail " + std::to_string(fail) : Show(out);
}

std::string Apply(UnaryOp op, const MacroValue& operand) {
    MacroValue out;
    int fail = op(operand, out);
    return fail != 0 ? "fail " + std::to_string(fail) : Show(out);
}

// "fail N" or only the numeric value, for results whose kind is not the point of the test.
std::string ApplyValue(BinaryOp op, const MacroValue& left, const MacroValue& right) {
    MacroValue out;
    int fail = op(left, right, out);
    if (fail != 0) return "fail " + std::to_string(fail);
    return out.IsNumeric() ? NumberText(qmtest::RawNumber(out)) : Show(out);
}

std::string Parsed(std::u16string_view text) {
    double out = -12345;
    int fail = ParseNumberText(text, out);
    return fail != 0 ? "fail " + std::to_string(fail) : NumberText(out);
}

std::string Leading(std::u16string_view text) {
    double out = -12345;
    int fail = ReadLeadingNumber(text, out);
    return fail != 0 ? "fail " + std::to_string(fail) : NumberText(out);
}

std::string Rounded(double value) {
    int32_t out = 0;
    int fail = RoundToInt32(value, out);
    return fail != 0 ? "fail " + std::to_string(fail) : std::to_string(out);
}

std::string Text(const MacroValue& value) {
    return qmtest::U8(ToText(value));
}

TEST(MacroValueText, DoubleFormats) {
    EXPECT_EQ(qmtest::U8(FormatDouble(100000000000000.0)), "100000000000000");
    EXPECT_EQ(qmtest::U8(FormatDouble(999999999999999.0)), "999999999999999");
    EXPECT_EQ(qmtest::U8(FormatDouble(1e15)), "1E+15");
    EXPECT_EQ(qmtest::U8(FormatDouble(1234567890123456.0)), "1.23456789012346E+15");
    EXPECT_EQ(qmtest::U8(FormatDouble(1e100)), "1E+100");
    EXPECT_EQ(qmtest::U8(FormatDouble(1.5e-7)), "1.5E-07");
    EXPECT_EQ(qmtest::U8(FormatDouble(1e-5)), "1E-05");
    EXPECT_EQ(qmtest::U8(FormatDouble(-1.234e-5)), "-1.234E-05");
    EXPECT_EQ(qmtest::U8(FormatDouble(0.0001)), "0.0001");
    EXPECT_EQ(qmtest::U8(FormatDouble(0.000123)), "0.000123");
    EXPECT_EQ(qmtest::U8(FormatDouble(1.0 / 3.0)), "0.333333333333333");
    EXPECT_EQ(qmtest::U8(FormatDouble(0.1 + 0.2)), "0.3");
    EXPECT_EQ(qmtest::U8(FormatDouble(std::pow(2.0, 0.5))), "1.4142135623731");
    EXPECT_EQ(qmtest::U8(FormatDouble(123456789012345.6)), "123456789012346");
    // The exponent is decided after rounding to 15 digits.
    EXPECT_EQ(qmtest::U8(FormatDouble(999999999999999.9)), "1E+15");
    EXPECT_EQ(qmtest::U8(FormatDouble(0.0000999999999999999999)), "0.0001");
    EXPECT_EQ(qmtest::U8(FormatDouble(-2.5)), "-2.5");
    EXPECT_EQ(qmtest::U8(FormatDouble(-123.0)), "-123");
    EXPECT_EQ(qmtest::U8(FormatDouble(0.0)), "0");
    EXPECT_EQ(qmtest::U8(FormatDouble(-0.0)), "0");
}

TEST(MacroValueText, SingleFormats) {
    EXPECT_EQ(qmtest::U8(FormatSingle(2.5f)), "2.5");
    EXPECT_EQ(qmtest::U8(FormatSingle(0.1f)), "0.1");
    EXPECT_EQ(qmtest::U8(FormatSingle(0.1f + 0.2f)), "0.3");
    EXPECT_EQ(qmtest::U8(FormatSingle(1.0f / 3.0f)), "0.3333333");
    EXPECT_EQ(qmtest::U8(FormatSingle(1234567.0f)), "1234567");
    EXPECT_EQ(qmtest::U8(FormatSingle(0.0001f)), "0.0001");
    EXPECT_EQ(qmtest::U8(FormatSingle(1.5e-6f)), "1.5E-06");
    EXPECT_EQ(qmtest::U8(FormatSingle(1e-5f)), "1E-05");
    EXPECT_EQ(qmtest::U8(FormatSingle(-0.0f)), "0");
    EXPECT_EQ(Text(MacroValue::Single(0.75f)), "0.75");
}

TEST(MacroValueText, FixedFormats) {
    EXPECT_EQ(qmtest::U8(FormatFixed(15000)), "1.5");
    EXPECT_EQ(qmtest::U8(FormatFixed(2500)), "0.25");
    EXPECT_EQ(qmtest::U8(FormatFixed(10000)), "1");
    EXPECT_EQ(qmtest::U8(FormatFixed(-15000)), "-1.5");
    EXPECT_EQ(qmtest::U8(FormatFixed(1)), "0.0001");
    EXPECT_EQ(qmtest::U8(FormatFixed(-1)), "-0.0001");
    EXPECT_EQ(qmtest::U8(FormatFixed(0)), "0");
    EXPECT_EQ(qmtest::U8(FormatFixed(123456789)), "12345.6789");
    EXPECT_EQ(qmtest::U8(FormatFixed(std::numeric_limits<int64_t>::max())), "922337203685477.5807");
    EXPECT_EQ(qmtest::U8(FormatFixed(std::numeric_limits<int64_t>::min())), "-922337203685477.5808");
    EXPECT_EQ(Text(MacroValue::Fixed(625)), "0.0625");
}

TEST(MacroValueText, OtherKinds) {
    EXPECT_EQ(Text(Bool(true)), "True");
    EXPECT_EQ(Text(Bool(false)), "False");
    EXPECT_EQ(Text(MacroValue()), "");
    EXPECT_EQ(Text(MacroValue::Null()), "");
    EXPECT_EQ(Text(I16(-5)), "-5");
    EXPECT_EQ(Text(I32(std::numeric_limits<int32_t>::min())), "-2147483648");
    EXPECT_EQ(Text(I32(2147483647)), "2147483647");
    EXPECT_EQ(Text(Dbl(1e15)), "1E+15");
    EXPECT_EQ(Text(Str(u"日本 ")), "日本 ");
}

// A host program may run in a locale whose decimal point is "," (a Qt program takes the user's locale): the
// numbers of macros are still written and read with ".". The test scripts generate de_DE.UTF-8.
TEST(MacroValueText, NumbersIgnoreTheHostLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    EXPECT_EQ(qmtest::U8(FormatDouble(1.5)), "1.5");
    EXPECT_EQ(qmtest::U8(FormatDouble(-1.234e-5)), "-1.234E-05");
    EXPECT_EQ(qmtest::U8(FormatDouble(1234567890123456.0)), "1.23456789012346E+15");
    EXPECT_EQ(qmtest::U8(FormatSingle(0.75f)), "0.75");
    for (const auto& [text, number] : {std::pair{u"2.25", 2.25}, std::pair{u"2.5e-1", 0.25}}) {
        double out = 0;
        EXPECT_EQ(ParseNumberText(text, out), 0);
        EXPECT_EQ(out, number); // compared as numbers: the test's own printing would follow the locale
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(MacroValueNumbers, NumericContentAsDouble) {
    EXPECT_EQ(Bool(true).AsDouble(), -1.0);
    EXPECT_EQ(Bool(false).AsDouble(), 0.0);
    EXPECT_EQ(MacroValue().AsDouble(), 0.0);
    EXPECT_EQ(MacroValue::Null().AsDouble(), 0.0);
    EXPECT_EQ(MacroValue::Fixed(15000).AsDouble(), 1.5);
    EXPECT_EQ(I16(-7).AsDouble(), -7.0);
    EXPECT_EQ(MacroValue::Single(0.5f).AsDouble(), 0.5);
}

TEST(MacroValueNumbers, StrictTextReading) {
    EXPECT_EQ(Parsed(u" 12 "), "12");
    EXPECT_EQ(Parsed(u"-3.5"), "-3.5");
    EXPECT_EQ(Parsed(u"+2"), "2");
    EXPECT_EQ(Parsed(u".5"), "0.5");
    EXPECT_EQ(Parsed(u"1E3"), "1000");
    EXPECT_EQ(Parsed(u"2.5e-1"), "0.25");
    EXPECT_EQ(Parsed(u"1D2"), "100");
    EXPECT_EQ(Parsed(u"1d2"), "100");
    EXPECT_EQ(Parsed(u"&HFF"), "255");
    EXPECT_EQ(Parsed(u"&hff"), "255");
    EXPECT_EQ(Parsed(u"&O17"), "15");
    EXPECT_EQ(Parsed(u"&o17"), "15");
    // Anything that is not a whole number text fails with 13.
    EXPECT_EQ(Parsed(u""), "fail 13");
    EXPECT_EQ(Parsed(u"   "), "fail 13");
    EXPECT_EQ(Parsed(u"abc"), "fail 13");
    EXPECT_EQ(Parsed(u"12abc"), "fail 13");
    EXPECT_EQ(Parsed(u"1.2.3"), "fail 13");
    EXPECT_EQ(Parsed(u"1e"), "fail 13");
    EXPECT_EQ(Parsed(u"&H"), "fail 13");
    EXPECT_EQ(Parsed(u"&HG"), "fail 13");
    EXPECT_EQ(Parsed(u"&O8"), "fail 13");
    EXPECT_EQ(Parsed(u"."), "fail 13");
    EXPECT_EQ(Parsed(u"-"), "fail 13");
    EXPECT_EQ(Parsed(u"1E999"), "fail 6");
    EXPECT_EQ(Parsed(u"&H123456789"), "fail 6");
}

TEST(MacroValueNumbers, LenientLeadingNumber) {
    EXPECT_EQ(Leading(u"12abc"), "12");
    EXPECT_EQ(Leading(u"1.2.3"), "1.2");
    EXPECT_EQ(Leading(u"."), "0");
    EXPECT_EQ(Leading(u"abc"), "0");
    EXPECT_EQ(Leading(u""), "0");
    EXPECT_EQ(Leading(u" 1 2"), "12");
    EXPECT_EQ(Leading(u"007"), "7");
    EXPECT_EQ(Leading(u"1E2"), "100");
    // Hexadecimal: up to four digits is a signed 16-bit number, five to eight a signed 32-bit number.
    EXPECT_EQ(Leading(u"&HFFFF"), "-1");
    EXPECT_EQ(Leading(u"&H8000"), "-32768");
    EXPECT_EQ(Leading(u"&H7FFF"), "32767");
    EXPECT_EQ(Leading(u"&H10000"), "65536");
    EXPECT_EQ(Leading(u"&H7FFFFFFF"), "2147483647");
    EXPECT_EQ(Leading(u"&H80000000"), "-2147483648");
    EXPECT_EQ(Leading(u"&HFFFFFFFF"), "-1");
    EXPECT_EQ(Leading(u"&hff"), "255");
    EXPECT_EQ(Leading(u"&HFFxyz"), "255");
    EXPECT_EQ(Leading(u"&HXYZ"), "0");
    EXPECT_EQ(Leading(u"&O17"), "15");
    // More than eight significant digits does not fit; leading zeros are not significant.
    EXPECT_EQ(Leading(u"&H123456789"), "fail 6");
    EXPECT_EQ(Leading(u"&H0000000001"), "1");
    EXPECT_EQ(Leading(u"1E999"), "fail 6");
}

TEST(MacroValueNumbers, RoundingTo32BitHalvesToEven) {
    EXPECT_EQ(Rounded(2.5), "2");
    EXPECT_EQ(Rounded(3.5), "4");
    EXPECT_EQ(Rounded(0.5), "0");
    EXPECT_EQ(Rounded(1.5), "2");
    EXPECT_EQ(Rounded(-2.5), "-2");
    EXPECT_EQ(Rounded(-3.5), "-4");
    EXPECT_EQ(Rounded(2.4), "2");
    EXPECT_EQ(Rounded(2.6), "3");
    EXPECT_EQ(Rounded(-0.4), "0");
    EXPECT_EQ(Rounded(2147483647.4), "2147483647");
    EXPECT_EQ(Rounded(-2147483648.5), "-2147483648");
    EXPECT_EQ(Rounded(2147483647.5), "fail 6");
    EXPECT_EQ(Rounded(-2147483649.0), "fail 6");
    EXPECT_EQ(Rounded(1e10), "fail 6");
    EXPECT_NE(Rounded(std::numeric_limits<double>::quiet_NaN()).rfind("fail", 0), std::string::npos);
    EXPECT_EQ(Rounded(std::numeric_limits<double>::infinity()), "fail 6");

    int32_t out = 0;
    EXPECT_EQ(ToInt32(Str(u" 3.5 "), out), 0);
    EXPECT_EQ(out, 4);
    EXPECT_EQ(ToInt32(Bool(true), out), 0);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(ToInt32(MacroValue(), out), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(ToInt32(MacroValue::Fixed(25000), out), 0);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(ToInt32(Str(u"x"), out), 13);
    EXPECT_EQ(ToInt32(Dbl(3e9), out), 6);
}

TEST(MacroValueNumbers, ToDoubleOfEachKind) {
    double out = 0;
    EXPECT_EQ(ToDouble(Str(u" 2.5 "), out), 0);
    EXPECT_EQ(out, 2.5);
    EXPECT_EQ(ToDouble(Bool(true), out), 0);
    EXPECT_EQ(out, -1.0);
    EXPECT_EQ(ToDouble(MacroValue(), out), 0);
    EXPECT_EQ(out, 0.0);
    EXPECT_EQ(ToDouble(Str(u"x"), out), 13);
    EXPECT_EQ(ToDouble(MacroValue::List(NewTokenList()), out), 13);
}

TEST(MacroValueArithmetic, ResultKindIsTheWiderOperand) {
    EXPECT_EQ(Apply(AddValues, I16(1), I16(2)), "Int16 3");
    EXPECT_EQ(Apply(AddValues, I16(1), I32(2)), "Int32 3");
    EXPECT_EQ(Apply(AddValues, I32(1), Dbl(0.5)), "Double 1.5");
    EXPECT_EQ(Apply(AddValues, Bool(true), Bool(true)), "Int16 -2");
    EXPECT_EQ(Apply(AddValues, Bool(true), I16(5)), "Int16 4");
    EXPECT_EQ(Apply(AddValues, MacroValue::Fixed(15000), I32(1)), "Fixed 2.5");
    EXPECT_EQ(Apply(AddValues, MacroValue::Fixed(15000), MacroValue::Fixed(2500)), "Fixed 1.75");
    EXPECT_EQ(Apply(MultiplyValues, MacroValue::Fixed(15000), MacroValue::Fixed(15000)), "Fixed 2.25");
    EXPECT_EQ(Apply(AddValues, MacroValue::Fixed(15000), MacroValue::Single(1.0f)), "Single 2.5");
    EXPECT_EQ(Apply(AddValues, MacroValue::Single(1.5f), I16(1)), "Single 2.5");
    EXPECT_EQ(Apply(AddValues, MacroValue::Single(1.5f), Dbl(1)), "Double 2.5");
    EXPECT_EQ(Apply(AddValues, MacroValue::Fixed(15000), Dbl(1)), "Double 2.5");
    EXPECT_EQ(Apply(SubtractValues, I16(5), I16(7)), "Int16 -2");
    EXPECT_EQ(Apply(MultiplyValues, I32(6), I16(7)), "Int32 42");
    // Empty reads as 0 beside a number.
    EXPECT_EQ(ApplyValue(AddValues, MacroValue(), I16(5)), "5");
    EXPECT_EQ(ApplyValue(MultiplyValues, I16(5), MacroValue()), "0");
}

TEST(MacroValueArithmetic, IntegerResultsThatDoNotFitWiden) {
    EXPECT_EQ(Apply(AddValues, I16(32767), I16(1)), "Int32 32768");
    EXPECT_EQ(Apply(SubtractValues, I16(-32768), I16(1)), "Int32 -32769");
    EXPECT_EQ(Apply(MultiplyValues, I16(300), I16(300)), "Int32 90000");
    EXPECT_EQ(Apply(AddValues, I32(2147483647), I32(1)), "Double 2147483648");
    EXPECT_EQ(Apply(SubtractValues, I32(std::numeric_limits<int32_t>::min()), I16(1)), "Double -2147483649");
    EXPECT_EQ(Apply(MultiplyValues, I32(65536), I32(65536)), "Double 4294967296");
    EXPECT_EQ(Apply(NegateValue, I16(-32768)), "Int32 32768");
    EXPECT_EQ(Apply(NegateValue, I32(std::numeric_limits<int32_t>::min())), "Double 2147483648");
    EXPECT_EQ(Apply(NegateValue, I16(5)), "Int16 -5");
    EXPECT_EQ(Apply(NegateValue, Dbl(2.5)), "Double -2.5");
}

TEST(MacroValueArithmetic, DivisionAndPowerGiveFloating) {
    EXPECT_EQ(Apply(DivideValues, I16(6), I16(3)), "Double 2");
    EXPECT_EQ(Apply(DivideValues, I16(1), I16(4)), "Double 0.25");
    EXPECT_EQ(Apply(PowerValues, I16(2), I16(10)), "Double 1024");
    MacroValue root;
    ASSERT_EQ(PowerValues(I16(2), Dbl(0.5), root), 0);
    EXPECT_EQ(Text(root), "1.4142135623731");
    EXPECT_EQ(Apply(DivideValues, I16(1), I16(0)), "fail 11");
    EXPECT_EQ(Apply(DivideValues, Dbl(1), Dbl(0.0)), "fail 11");
    EXPECT_EQ(Apply(DivideValues, I16(1), MacroValue()), "fail 11");
}

TEST(MacroValueArithmetic, PlusJoinsStringsAndConvertsAgainstNumbers) {
    EXPECT_EQ(Apply(AddValues, Str(u"ab"), Str(u"cd")), "String abcd");
    EXPECT_EQ(Apply(AddValues, Str(u"1"), Str(u"2")), "String 12");
    EXPECT_EQ(ApplyValue(AddValues, Str(u"3"), I16(4)), "7");
    EXPECT_EQ(ApplyValue(AddValues, I16(4), Str(u" 3 ")), "7");
    EXPECT_EQ(ApplyValue(AddValues, Str(u"&H10"), I16(1)), "17");
    EXPECT_EQ(Apply(AddValues, Str(u"abc"), I16(1)), "fail 13");
    EXPECT_EQ(Apply(AddValues, I16(1), Str(u"")), "fail 13");
    // Other operators convert strings to numbers.
    EXPECT_EQ(ApplyValue(SubtractValues, Str(u"5"), Str(u"2")), "3");
    EXPECT_EQ(ApplyValue(MultiplyValues, Str(u"2.5"), I16(2)), "5");
    EXPECT_EQ(Apply(MultiplyValues, Str(u"a"), I16(2)), "fail 13");
    EXPECT_EQ(Apply(SubtractValues, MacroValue::List(NewTokenList()), I16(2)), "fail 13");
}

TEST(MacroValueArithmetic, IntegerDivisionAndModRoundOperands) {
    EXPECT_EQ(ApplyValue(IntDivideValues, I16(7), I16(2)), "3");
    EXPECT_EQ(ApplyValue(IntDivideValues, I16(-7), I16(2)), "-3");
    EXPECT_EQ(ApplyValue(IntDivideValues, Dbl(7.5), I16(2)), "4");
    EXPECT_EQ(ApplyValue(IntDivideValues, Dbl(6.5), Dbl(2.5)), "3");
    EXPECT_EQ(ApplyValue(IntDivideValues, Str(u"7"), I16(2)), "3");
    EXPECT_EQ(ApplyValue(IntDivideValues, I16(5), I16(0)), "fail 11");
    EXPECT_EQ(ApplyValue(IntDivideValues, I16(5), Dbl(0.4)), "fail 11");
    EXPECT_EQ(ApplyValue(IntDivideValues, I16(-32768), I16(-1)), "32768");
    EXPECT_EQ(ApplyValue(IntDivideValues, I32(std::numeric_limits<int32_t>::min()), I32(-1)), "2147483648");

    EXPECT_EQ(ApplyValue(ModValues, I16(7), I16(3)), "1");
    EXPECT_EQ(ApplyValue(ModValues, I16(-7), I16(3)), "-1");
    EXPECT_EQ(ApplyValue(ModValues, I16(7), I16(-3)), "1");
    EXPECT_EQ(ApplyValue(ModValues, Dbl(7.5), I16(3)), "2");
    EXPECT_EQ(ApplyValue(ModValues, Dbl(8.5), Dbl(2.5)), "0");
    EXPECT_EQ(ApplyValue(ModValues, I16(5), I16(0)), "fail 11");
    EXPECT_EQ(ApplyValue(ModValues, I32(std::numeric_limits<int32_t>::min()), I32(-1)), "0");
    EXPECT_EQ(ApplyValue(ModValues, Str(u"x"), I16(3)), "fail 13");
}

TEST(MacroValueLogic, BooleansStayBooleanNumbersCombineBitwise) {
    EXPECT_EQ(Apply(AndValues, Bool(true), Bool(false)), "Boolean False");
    EXPECT_EQ(Apply(OrValues, Bool(true), Bool(false)), "Boolean True");
    EXPECT_EQ(Apply(XorValues, Bool(true), Bool(true)), "Boolean False");
    EXPECT_EQ(Apply(NotValue, Bool(true)), "Boolean False");
    EXPECT_EQ(Apply(NotValue, Bool(false)), "Boolean True");

    EXPECT_EQ(ApplyValue(AndValues, I16(12), I16(10)), "8");
    EXPECT_EQ(ApplyValue(OrValues, I16(12), I16(10)), "14");
    EXPECT_EQ(ApplyValue(XorValues, I16(12), I16(10)), "6");
    EXPECT_EQ(ApplyValue(AndValues, Dbl(2.5), I16(3)), "2");
    EXPECT_EQ(ApplyValue(OrValues, Dbl(3.5), I16(0)), "4");
    EXPECT_EQ(ApplyValue(AndValues, Bool(true), I16(5)), "5");
    EXPECT_EQ(ApplyValue(OrValues, Str(u"1"), I16(2)), "3");
    EXPECT_EQ(ApplyValue(AndValues, Str(u"abc"), I16(1)), "fail 13");
    EXPECT_EQ(ApplyValue(AndValues, Dbl(1e10), I16(1)), "fail 6");

    MacroValue out;
    ASSERT_EQ(NotValue(I16(5), out), 0);
    EXPECT_EQ(qmtest::RawNumber(out), -6);
    ASSERT_EQ(NotValue(I16(0), out), 0);
    EXPECT_EQ(qmtest::RawNumber(out), -1);
    ASSERT_EQ(NotValue(I32(std::numeric_limits<int32_t>::min()), out), 0);
    EXPECT_EQ(qmtest::RawNumber(out), 2147483647);
    EXPECT_EQ(NotValue(Str(u"a"), out), 13);
}

TEST(MacroValueCompare, NumbersStringsAndEmpty) {
    EXPECT_EQ(CompareValues(I16(1), Str(u"1")), -1);
    EXPECT_FALSE(ValuesEqual(I16(1), Str(u"1")));
    EXPECT_EQ(CompareValues(Str(u""), Dbl(1e300)), 1);
    EXPECT_EQ(CompareValues(I16(5), Str(u"")), -1);
    EXPECT_EQ(CompareValues(I16(2), Dbl(2.0)), 0);
    EXPECT_EQ(CompareValues(I32(2147483647), Dbl(2147483648.0)), -1);
    EXPECT_EQ(CompareValues(Bool(true), I16(-1)), 0);
    EXPECT_EQ(CompareValues(MacroValue::Fixed(15000), Dbl(1.5)), 0);
    EXPECT_EQ(CompareValues(I16(-3), I16(2)), -1);
    // Strings by character code, case-sensitive.
    EXPECT_EQ(CompareValues(Str(u"a"), Str(u"B")), 1);
    EXPECT_EQ(CompareValues(Str(u"ab"), Str(u"abc")), -1);
    EXPECT_EQ(CompareValues(Str(u"abc"), Str(u"abc")), 0);
    EXPECT_FALSE(ValuesEqual(Str(u"abc"), Str(u"ABC")));
    EXPECT_EQ(CompareValues(Str(u"Z"), Str(u"あ")), -1);
    // Empty is 0 beside a number and "" beside a string.
    EXPECT_EQ(CompareValues(MacroValue(), I16(0)), 0);
    EXPECT_EQ(CompareValues(MacroValue(), I16(-1)), 1);
    EXPECT_EQ(CompareValues(MacroValue(), Str(u"")), 0);
    EXPECT_EQ(CompareValues(MacroValue(), Str(u"a")), -1);
    EXPECT_EQ(CompareValues(MacroValue(), MacroValue()), 0);
    // A list equals only itself.
    TokenRef list = NewTokenList();
    EXPECT_TRUE(ValuesEqual(MacroValue::List(list), MacroValue::List(list)));
    EXPECT_FALSE(ValuesEqual(MacroValue::List(list), MacroValue::List(NewTokenList())));
}

TEST(MacroValueCompare, Truth) {
    bool truth = true;
    EXPECT_EQ(ValueTruth(I16(0), truth), 0);
    EXPECT_FALSE(truth);
    EXPECT_EQ(ValueTruth(Dbl(0.1), truth), 0);
    EXPECT_TRUE(truth);
    EXPECT_EQ(ValueTruth(I32(-5), truth), 0);
    EXPECT_TRUE(truth);
    EXPECT_EQ(ValueTruth(Bool(false), truth), 0);
    EXPECT_FALSE(truth);
    EXPECT_EQ(ValueTruth(Bool(true), truth), 0);
    EXPECT_TRUE(truth);
    truth = true;
    EXPECT_EQ(ValueTruth(MacroValue(), truth), 0);
    EXPECT_FALSE(truth);
    truth = true;
    EXPECT_EQ(ValueTruth(MacroValue::Null(), truth), 0);
    EXPECT_FALSE(truth);
    EXPECT_EQ(ValueTruth(Str(u"1"), truth), 13);
}

} // namespace

TEST(MacroValueSharing, CopiesShareATextUntilOneIsAppendedTo) {
    MacroValue a = MacroValue::String(u"abc");
    MacroValue b = a;
    EXPECT_EQ(&a.StringValue(), &b.StringValue()); // one text, two values
    b.AppendToString(u"def");
    EXPECT_EQ(a.StringValue(), u"abc");
    EXPECT_EQ(b.StringValue(), u"abcdef");
    MacroValue c = b;
    c = a; // the old share is released, the new one taken
    EXPECT_EQ(c.StringValue(), u"abc");
    EXPECT_EQ(b.StringValue(), u"abcdef");
    // A text appended to itself, shared and unshared.
    MacroValue d = a;
    d.AppendToString(d.StringValue());
    EXPECT_EQ(d.StringValue(), u"abcabc");
    d.AppendToString(d.StringValue());
    EXPECT_EQ(d.StringValue(), u"abcabcabcabc");
    EXPECT_EQ(a.StringValue(), u"abc");
    // A value moved from is empty; the text lives on in its new owner.
    MacroValue e = std::move(d);
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_EQ(e.StringValue(), u"abcabcabcabc");
    const MacroValue& same = e;
    e = same; // assigning a value to itself keeps it
    EXPECT_EQ(e.StringValue(), u"abcabcabcabc");
    // Overwriting a shared text with a number leaves the other owner's text whole.
    MacroValue f = a;
    f.SetDouble(1.5);
    EXPECT_EQ(f.AsDouble(), 1.5);
    EXPECT_EQ(a.StringValue(), u"abc");
    static_assert(sizeof(MacroValue) == 16);
}
