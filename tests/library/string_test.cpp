// Tests of the text built-ins (MID, LEFT, RIGHT, TRIM, INSTR, STR, VAL, LEN, HEX, BIN) and of the radix
// conversion procedures, including their argument-count messages and failure numbers.
#include "failure_text.h"
#include "library_test_support.h"
#include "radix.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::string Str(const std::u16string& name, std::initializer_list<MacroValue> args) {
    BuiltinOutcome r = CallBuiltin(name, args);
    EXPECT_EQ(r.Code(), 0) << U8(name) << ": " << r.Info();
    EXPECT_EQ(r.result.Kind(), ValueKind::String) << U8(name);
    return r.Text();
}

void ExpectFailure(const std::u16string& name, std::initializer_list<MacroValue> args, int sub) {
    BuiltinOutcome r = CallBuiltin(name, args);
    EXPECT_EQ(r.Code(), 7) << U8(name);
    EXPECT_EQ(r.Sub(), sub) << U8(name);
    EXPECT_EQ(r.Info(), U8(FailureDescription(sub))) << U8(name);
    EXPECT_TRUE(r.result.IsEmpty()) << U8(name);
}

void ExpectCountMessage(const std::u16string& name, std::initializer_list<MacroValue> args,
                        const char* message) {
    BuiltinOutcome r = CallBuiltin(name, args);
    EXPECT_EQ(r.Code(), 7) << U8(name);
    EXPECT_EQ(r.Info(), message) << U8(name);
    EXPECT_TRUE(r.result.IsEmpty()) << U8(name);
}

} // namespace

TEST(StringBuiltins, Mid) {
    EXPECT_EQ(Str(u"MID", {S(u"abcdef"), I(3)}), "cdef");
    EXPECT_EQ(Str(u"MID", {S(u"abcdef"), I(3), I(2)}), "cd");
    EXPECT_EQ(Str(u"MID", {S(u"abcdef"), I(3), I(-1)}), "cdef");
    EXPECT_EQ(Str(u"MID", {S(u"abcdef"), I(3), I(-7)}), "cdef");
    EXPECT_EQ(Str(u"MID", {S(u"abc"), I(9)}), "");
    EXPECT_EQ(Str(u"MID", {S(u"abc"), I(4)}), "");
    EXPECT_EQ(Str(u"MID", {S(u"abc"), I(1), I(99)}), "abc");
    EXPECT_EQ(Str(u"MID", {S(u"abc"), I(2), I(0)}), "");
    EXPECT_EQ(Str(u"MID", {S(u"abc"), D(2.5)}), "bc");
    EXPECT_EQ(Str(u"MID", {D(12345), I(2), I(3)}), "234");
    EXPECT_EQ(Str(u"MID", {S(u"abcdef"), I(2), I(2), I(99)}), "bc");
    EXPECT_EQ(Str(u"MID", {S(u"日本語"), I(2), I(1)}), "本");
}

TEST(StringBuiltins, MidFailures) {
    ExpectCountMessage(u"MID", {S(u"abc")}, "引数が足りません");
    ExpectCountMessage(u"MID", {}, "引数が足りません");
    ExpectFailure(u"MID", {S(u"abc"), I(0)}, 5);
    ExpectFailure(u"MID", {S(u"abc"), I(-3), I(1)}, 5);
    ExpectFailure(u"MID", {S(u"abc"), S(u"x")}, 13);
    ExpectFailure(u"MID", {S(u"abc"), D(3e10)}, 6);
    // The last failing conversion is the one reported.
    ExpectFailure(u"MID", {S(u"abc"), D(3e10), S(u"x")}, 13);
}

TEST(StringBuiltins, LeftAndRight) {
    EXPECT_EQ(Str(u"LEFT", {S(u"abc"), I(5)}), "abc");
    EXPECT_EQ(Str(u"LEFT", {S(u"abc"), D(1.5)}), "ab");
    EXPECT_EQ(Str(u"LEFT", {S(u"abc"), D(0.5)}), "");
    EXPECT_EQ(Str(u"RIGHT", {S(u"abc"), I(2)}), "bc");
    EXPECT_EQ(Str(u"RIGHT", {S(u"abc"), I(9)}), "abc");
    EXPECT_EQ(Str(u"RIGHT", {S(u"abc"), I(0)}), "");
    EXPECT_EQ(Str(u"RIGHT", {D(-12.5), I(3)}), "2.5");
    ExpectCountMessage(u"LEFT", {S(u"abc")}, "引数の数があいません");
    ExpectCountMessage(u"RIGHT", {S(u"abc"), I(1), I(2)}, "引数の数があいません");
    ExpectFailure(u"LEFT", {S(u"abc"), I(-1)}, 5);
    ExpectFailure(u"RIGHT", {S(u"abc"), I(-1)}, 5);
    ExpectFailure(u"LEFT", {S(u"abc"), S(u"two")}, 13);
}

TEST(StringBuiltins, TrimRemovesOnlyOrdinarySpaces) {
    EXPECT_EQ(Str(u"TRIM", {S(u"  a b  ")}), "a b");
    EXPECT_EQ(Str(u"TRIM", {S(u"   ")}), "");
    EXPECT_EQ(Str(u"TRIM", {S(u"")}), "");
    EXPECT_EQ(Str(u"TRIM", {S(u"\ta \t")}), "\ta \t");
    EXPECT_EQ(Str(u"TRIM", {S(u"\u3000x\u3000 ")}), "\u3000x\u3000");
    EXPECT_EQ(Str(u"TRIM", {I(5)}), "5");
    ExpectCountMessage(u"TRIM", {}, "引数の数があいません");
    ExpectCountMessage(u"TRIM", {S(u"a"), S(u"b")}, "引数の数があいません");
}

TEST(StringBuiltins, InStr) {
    auto pos = [](std::u16string a, std::u16string b) {
        BuiltinOutcome r = CallBuiltin(u"INSTR", {S(a), S(b)});
        EXPECT_EQ(r.Code(), 0);
        EXPECT_EQ(r.result.Kind(), ValueKind::Int32);
        return r.result.Int32Value();
    };
    EXPECT_EQ(pos(u"abcabc", u"c"), 3);
    EXPECT_EQ(pos(u"abcabc", u"ca"), 3);
    EXPECT_EQ(pos(u"abc", u"C"), 0);
    EXPECT_EQ(pos(u"abc", u""), 1);
    EXPECT_EQ(pos(u"", u""), 0);
    EXPECT_EQ(pos(u"", u"a"), 0);
    EXPECT_EQ(pos(u"ab", u"abc"), 0);
    EXPECT_EQ(CallBuiltin(u"INSTR", {D(12345), D(34), S(u"extra")}).result.Int32Value(), 3);
    ExpectCountMessage(u"INSTR", {S(u"abc")}, "引数が足りません");
}

TEST(StringBuiltins, StrAndLen) {
    EXPECT_EQ(Str(u"STR", {I(12)}), "12");
    EXPECT_EQ(Str(u"STR", {D(-1.5)}), "-1.5");
    EXPECT_EQ(Str(u"STR", {MacroValue()}), "");
    EXPECT_EQ(Str(u"STR", {S(u"x y")}), "x y");
    ExpectCountMessage(u"STR", {}, "引数の数があいません");

    BuiltinOutcome len = CallBuiltin(u"LEN", {D(123)});
    EXPECT_EQ(len.result.Kind(), ValueKind::Int32);
    EXPECT_EQ(len.result.Int32Value(), 3);
    EXPECT_EQ(CallBuiltin(u"LEN", {S(u"日本語")}).result.Int32Value(), 3);
    EXPECT_EQ(CallBuiltin(u"LEN", {S(u"")}).result.Int32Value(), 0);
    EXPECT_EQ(CallBuiltin(u"LEN", {MacroValue()}).result.Int32Value(), 0);
    ExpectCountMessage(u"LEN", {S(u"a"), S(u"b")}, "引数の数があいません");
}

TEST(StringBuiltins, ValReadsTheLeadingNumber) {
    auto val = [](std::u16string text) {
        BuiltinOutcome r = CallBuiltin(u"VAL", {S(text)});
        EXPECT_EQ(r.Code(), 0) << U8(text);
        EXPECT_EQ(r.result.Kind(), ValueKind::Double) << U8(text);
        return r.result.DoubleValue();
    };
    EXPECT_EQ(val(u"1 2x"), 12);
    EXPECT_EQ(val(u"&H1F"), 31);
    EXPECT_EQ(val(u"abc"), 0);
    EXPECT_EQ(val(u""), 0);
    EXPECT_EQ(val(u"  -1.5e2xyz"), -150);
    EXPECT_EQ(val(u"&O17"), 15);
    EXPECT_EQ(CallBuiltin(u"VAL", {D(2.5)}).result.DoubleValue(), 2.5);
    ExpectFailure(u"VAL", {S(u"&H123456789")}, 6);
    ExpectCountMessage(u"VAL", {}, "引数の数があいません");
}

TEST(StringBuiltins, Hex) {
    EXPECT_EQ(Str(u"HEX", {I(255)}), "FF");
    EXPECT_EQ(Str(u"HEX", {I(-1)}), "FFFFFFFF");
    EXPECT_EQ(Str(u"HEX", {D(2.5)}), "2");
    EXPECT_EQ(Str(u"HEX", {I(0)}), "0");
    EXPECT_EQ(Str(u"HEX", {D(-2147483648.0)}), "80000000");
    EXPECT_EQ(Str(u"HEX", {S(u"&H10")}), "10");
    ExpectFailure(u"HEX", {S(u"x")}, 13);
    ExpectFailure(u"HEX", {D(3e9)}, 6);
    ExpectCountMessage(u"HEX", {I(1), I(2)}, "引数の数があいません");
}

TEST(StringBuiltins, Bin) {
    EXPECT_EQ(Str(u"BIN", {I(0)}), "0");
    EXPECT_EQ(Str(u"BIN", {I(6)}), "110");
    EXPECT_EQ(Str(u"BIN", {I(-5)}), "101");
    EXPECT_EQ(Str(u"BIN", {S(u"&H10")}), "10000");
    EXPECT_EQ(Str(u"BIN", {S(u"12abc")}), "1100");
    EXPECT_EQ(Str(u"BIN", {S(u"abc")}), "0");
    EXPECT_EQ(Str(u"BIN", {D(2.5)}), "10");
    EXPECT_EQ(Str(u"BIN", {D(2147483647)}), std::string(31, '1'));
    ExpectFailure(u"BIN", {D(2147483648.0)}, 6);
    ExpectFailure(u"BIN", {D(-2147483648.0)}, 6);
    ExpectCountMessage(u"BIN", {}, "引数の数があいません");
}

TEST(RadixConversion, RadixToDecimal) {
    int32_t v = 0;
    EXPECT_EQ(RadixToDecimal(16, u"1234567", v), 0);
    EXPECT_EQ(v, 19088743);
    EXPECT_EQ(RadixToDecimal(16, u"ff", v), 0);
    EXPECT_EQ(v, 255);
    EXPECT_EQ(RadixToDecimal(10, u"123456789", v), 0);
    EXPECT_EQ(v, 123456789);
    EXPECT_EQ(RadixToDecimal(2, u"", v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(RadixToDecimal(10, u"Z", v), 0); // digits are not checked against the radix
    EXPECT_EQ(v, 35);
    v = 77;
    EXPECT_EQ(RadixToDecimal(16, u"12345678", v), 6); // the weight after the eighth digit overflows
    EXPECT_EQ(RadixToDecimal(16, u"0000000F", v), 6);
    EXPECT_EQ(RadixToDecimal(10, u"1234567890", v), 6);
    EXPECT_EQ(RadixToDecimal(16, u"1-", v), 13);
    EXPECT_EQ(v, 77); // nothing written on failure
}

TEST(RadixConversion, DecimalToRadixAndDigits) {
    std::u16string t = u"old";
    EXPECT_EQ(DecimalToRadix(16, 268435455, t), 0);
    EXPECT_EQ(U8(t), "FFFFFFF");
    EXPECT_EQ(DecimalToRadix(10, 999999999, t), 0);
    EXPECT_EQ(U8(t), "999999999");
    EXPECT_EQ(DecimalToRadix(2, 0, t), 0);
    EXPECT_EQ(U8(t), "0");
    EXPECT_EQ(DecimalToRadix(16, -5, t), 0);
    EXPECT_EQ(U8(t), "");
    EXPECT_EQ(DecimalToRadix(16, 268435456, t), 6);
    EXPECT_EQ(DecimalToRadix(10, 1000000000, t), 6);
    EXPECT_EQ(DecimalToRadix(1, 5, t), 5); // would never end
    EXPECT_EQ(DecimalToRadix(0, 5, t), 5);

    int32_t d = 0;
    EXPECT_EQ(DigitValue(u'7', d), 0);
    EXPECT_EQ(d, 7);
    EXPECT_EQ(DigitValue(u'a', d), 0);
    EXPECT_EQ(d, 10);
    EXPECT_EQ(DigitValue(u'Z', d), 0);
    EXPECT_EQ(d, 35);
    EXPECT_EQ(DigitValue(u'-', d), 13);
    EXPECT_EQ(DigitValue(u' ', d), 13);
    EXPECT_EQ(U8(DigitChar(10)), "A");
    EXPECT_EQ(U8(DigitChar(35)), "Z");
    EXPECT_EQ(U8(DigitChar(9)), "9");
}

TEST(RadixConversion, ConvertRadix) {
    std::u16string t;
    EXPECT_EQ(ConvertRadix(16, 10, u"FF", t), 0);
    EXPECT_EQ(U8(t), "255");
    EXPECT_EQ(ConvertRadix(16, 10, u"", t), 0);
    EXPECT_EQ(U8(t), "0");
    EXPECT_EQ(ConvertRadix(2, 16, u"11111", t), 0);
    EXPECT_EQ(U8(t), "1F");
    EXPECT_EQ(ConvertRadix(16, 10, u"56", t), 0);
    EXPECT_EQ(U8(t), "86");
    EXPECT_EQ(ConvertRadix(16, 10, u"FFFFFFFF", t), 6);
}
