// Tests of the expression evaluator through Compute and Compute_Nocheck: priorities, sign handling,
// operators, malformed expressions, names and calls in textual order, subscripts and the bracket nesting
// limit.
#include "engine_test_host.h"
#include "failure_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qm_test::TestHost;

// Variables every expression can use; the expression itself stands on a line after END, so Run prepares the
// variables and the expression's compiled tokens are then evaluated directly.
constexpr char16_t kPrelude[] = u"dim a, b, s, e, arr(3)\n"
                                u"a = 1\n"
                                u"b = 2\n"
                                u"s = \"x\"\n"
                                u"arr(0) = 10\n"
                                u"arr(1) = 11\n"
                                u"arr(2) = 12\n"
                                u"arr(3) = 13\n"
                                u"END\n";

class Evaluator : public ::testing::Test {
  protected:
    TestHost host;
    TokenRef expression;

    void SetUp() override {
        // F and G answer with their first argument plus 100; the host records the order of the calls.
        auto plus100 = [](const std::vector<MacroValue>& args, cMoMacro_Error&) {
            return MacroValue::Double(args.empty() ? 100.0 : args[0].AsDouble() + 100.0);
        };
        host.functions[u"F"] = plus100;
        host.functions[u"G"] = plus100;
    }

    bool Prepare(std::u16string_view text) {
        std::u16string macro = kPrelude;
        macro += u"r = ";
        macro += text;
        const int32_t code = host.Run(macro);
        EXPECT_EQ(code, 0) << "prelude failed: " << ToUtf8(host.Info());
        if (code != 0) return false;
        const MacroLine& line = host.engine.Line(host.engine.LineCount() - 1);
        expression = line.Statement->ItemToken(2);
        host.calls.clear();
        host.engine.Error().Clear();
        return expression != nullptr;
    }

    MacroValue Eval(std::u16string_view text) {
        if (!Prepare(text)) return MacroValue::String(u"<not prepared>");
        return host.engine.Compute(*expression);
    }

    // The text of the value, or a marker naming the error.
    std::u16string Text(std::u16string_view text) {
        MacroValue value = Eval(text);
        if (host.Code() != 0)
            return u"<error " + FromUtf8(std::to_string(host.Code())) + u" " + host.Info() + u">";
        return ToText(value);
    }

    void ExpectError(std::u16string_view text, int32_t code, const std::u16string& info) {
        MacroValue value = Eval(text);
        EXPECT_EQ(host.Code(), code) << ToUtf8(text);
        EXPECT_EQ(host.Info(), info) << ToUtf8(text);
        EXPECT_TRUE(value.IsEmpty()) << ToUtf8(text);
    }
};

TEST_F(Evaluator, PriorityAndGrouping) {
    EXPECT_EQ(Text(u"1 + 2 * 3"), u"7");
    EXPECT_EQ(Text(u"(1 + 2) * 3"), u"9");
    EXPECT_EQ(Text(u"2 ^ 3"), u"8");
    EXPECT_EQ(Text(u"2 * 3 ^ 2"), u"18");
    EXPECT_EQ(Text(u"1 + 7 MOD 4"), u"4");
    EXPECT_EQ(Text(u"7 \\ 2"), u"3");
    EXPECT_EQ(Text(u"-7 MOD 3"), u"-1");
    EXPECT_EQ(Text(u"7 MOD 4 \\ 2"), u"1");
    EXPECT_EQ(Text(u"((((2))))"), u"2");
}

TEST_F(Evaluator, EqualPrioritiesAreReducedFromTheRight) {
    EXPECT_EQ(Text(u"10 - 5 - 2"), u"7");
    EXPECT_EQ(Text(u"2 - 1 + 1"), u"0");
    EXPECT_EQ(Text(u"8 / 4 / 2"), u"4");
    EXPECT_EQ(Text(u"7 \\ 2 * 3"), u"1");
    EXPECT_EQ(Text(u"2 ^ 3 ^ 2"), u"512");
    EXPECT_EQ(Text(u"(10 - 5) - 2"), u"3");
}

TEST_F(Evaluator, SignsAreNormalised) {
    EXPECT_EQ(Text(u"-2 ^ 2"), u"-4");
    EXPECT_EQ(Text(u"- - 3"), u"3");
    EXPECT_EQ(Text(u"3 - -2"), u"5");
    EXPECT_EQ(Text(u"1 - - - 2"), u"-1");
    EXPECT_EQ(Text(u"+ 5"), u"5");
    EXPECT_EQ(Text(u"+ + 5"), u"5");
    EXPECT_EQ(Text(u"2 * -3"), u"-6");
    EXPECT_EQ(Text(u"2 * + 3"), u"6");
    EXPECT_EQ(Text(u"(5) - 2"), u"3");
    EXPECT_EQ(Text(u"a -1"), u"0");
    EXPECT_EQ(Text(u"2 ^ (-1)"), u"0.5");
    ExpectError(u"2 ^ -1", 4, u"式が不正です。演算子 ^");
}

TEST_F(Evaluator, CallersTokensAreNotChanged) {
    ASSERT_TRUE(Prepare(u"- - 3 >< 4"));
    const int32_t count = expression->Count();
    EXPECT_EQ(ToText(host.engine.Compute(*expression)), u"True");
    EXPECT_EQ(expression->Count(), count);
    EXPECT_EQ(ToText(host.engine.Compute(*expression)), u"True");
    EXPECT_EQ(host.Code(), 0);
}

TEST_F(Evaluator, StringsJoinAndConvert) {
    EXPECT_EQ(Text(u"\"ab\" + \"cd\""), u"abcd");
    EXPECT_EQ(Text(u"\"12\" + 1"), u"13");
    EXPECT_EQ(Text(u"1 ; 2"), u"12");
    EXPECT_EQ(Text(u"\"n=\" ; 1 + 2"), u"n=3");
    EXPECT_EQ(Text(u"s ; a ; \"y\""), u"x1y");
    MacroValue joined = Eval(u"1 ; 2");
    EXPECT_TRUE(joined.IsString());
    EXPECT_EQ(Text(u"\"a\" ;"), u"a");
    ExpectError(u";", 4, u"式が不正です。演算子 +");

    Eval(u"\"x\" + 1");
    EXPECT_EQ(host.Code(), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 13);
    EXPECT_EQ(host.Info(), FailureDescription(13));
}

TEST_F(Evaluator, Comparisons) {
    MacroValue less = Eval(u"1 < 2");
    EXPECT_EQ(less.Kind(), ValueKind::Boolean);
    EXPECT_EQ(less.AsDouble(), -1.0);
    EXPECT_EQ(Text(u"1 = \"1\""), u"False");
    EXPECT_EQ(Text(u"\"a\" < \"b\""), u"True");
    EXPECT_EQ(Text(u"\"a\" = \"A\""), u"False");
    EXPECT_EQ(Text(u"3 <> 4"), u"True");
    EXPECT_EQ(Text(u"3 >< 4"), u"True");
    EXPECT_EQ(Text(u"3 <> 3"), u"False");
    EXPECT_EQ(Text(u"3 =< 4"), u"True");
    EXPECT_EQ(Text(u"3 <= 2"), u"False");
    EXPECT_EQ(Text(u"4 => 3"), u"True");
    EXPECT_EQ(Text(u"3 >= 3"), u"True");
    EXPECT_EQ(Text(u"e = 0"), u"True");
    EXPECT_EQ(Text(u"e = \"\""), u"True");
    // Operator-like string constants are values, not operators.
    EXPECT_EQ(Text(u"\"<\" ; \">\""), u"<>");
    EXPECT_EQ(Text(u"\"<\" = \"<\""), u"True");
}

TEST_F(Evaluator, ComparisonsWithTooFewValues) {
    ExpectError(u"<> 1", 4, u"式が不正です。演算子 <>");
    ExpectError(u"< 1", 4, u"式が不正です。演算子 <");
    ExpectError(u"<= 1", 4, u"式が不正です。演算子 <");
    ExpectError(u">= 1", 4, u"式が不正です。演算子 >");
    ExpectError(u"= 1", 4, u"式が不正です。演算子 =");
}

TEST_F(Evaluator, LogicalOperatorsBindTighterThanComparisons) {
    EXPECT_EQ(Text(u"a = 1 AND b = 2"), u"False");
    EXPECT_EQ(Text(u"(a = 1) AND (b = 2)"), u"True");
    EXPECT_EQ(Eval(u"(a = 1) AND (b = 2)").Kind(), ValueKind::Boolean);
    EXPECT_EQ(Text(u"NOT a = b"), u"False");
    EXPECT_EQ(Text(u"NOT (a = b)"), u"True");
    EXPECT_EQ(Text(u"NOT 0"), u"-1");
    EXPECT_EQ(Text(u"NOT NOT 5"), u"5");
    EXPECT_EQ(Text(u"5 AND 3"), u"1");
    EXPECT_EQ(Text(u"1 OR 2"), u"3");
    EXPECT_EQ(Text(u"6 XOR 3"), u"5");
    // AND above OR above XOR.
    EXPECT_EQ(Text(u"1 OR 2 AND 0"), u"1");
    EXPECT_EQ(Text(u"3 XOR 1 OR 2"), u"0");
    EXPECT_EQ(Text(u"1 + 1 AND 3"), u"2");
}

TEST_F(Evaluator, ArithmeticFailures) {
    for (const char16_t* text : {u"5 / 0", u"5 \\ 0", u"5 MOD 0"}) {
        Eval(text);
        EXPECT_EQ(host.Code(), 4) << ToUtf8(text);
        EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 11) << ToUtf8(text);
        EXPECT_EQ(host.Info(), FailureDescription(11)) << ToUtf8(text);
    }
}

TEST_F(Evaluator, MalformedExpressions) {
    ExpectError(u"1 2", 2, u"演算子がありません");
    ExpectError(u"(1, 2)", 2, u"演算子がありません");
    ExpectError(u"()", 2, u"括弧の中が空です");
    ExpectError(u"(1 + 2", 2, u"括弧の数があいません");
    ExpectError(u"1 + 2)", 2, u"括弧の数があいません");
    ExpectError(u"(1))", 2, u"括弧の数があいません");
    ExpectError(u"1 +", 4, u"式が不正です。演算子 +");
    ExpectError(u"* 2", 4, u"式が不正です。演算子 *");
    ExpectError(u"6 /", 4, u"式が不正です。演算子 +");
    ExpectError(u"1 + TO", 2, u"式中に不明な項目があります");

    cMoMacro_Token empty;
    host.engine.Error().Clear();
    EXPECT_TRUE(host.engine.Compute(empty).IsEmpty());
    EXPECT_EQ(host.Code(), 2);
    EXPECT_EQ(host.Info(), u"演算子がありません");
}

TEST_F(Evaluator, ComputeNocheckReturnsEveryValue) {
    ASSERT_TRUE(Prepare(u"1, 2 + 3, s"));
    TokenRef values = host.engine.Compute_Nocheck(*expression);
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->Count(), 3);
    EXPECT_EQ(ToText(values->Item(0)), u"1");
    EXPECT_EQ(ToText(values->Item(1)), u"5");
    EXPECT_EQ(ToText(values->Item(2)), u"x");

    cMoMacro_Token empty;
    TokenRef none = host.engine.Compute_Nocheck(empty);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Count(), 0);

    ASSERT_TRUE(Prepare(u"1, 2 / 0"));
    EXPECT_EQ(host.engine.Compute_Nocheck(*expression), nullptr);
    EXPECT_EQ(host.Code(), 4);
}

TEST_F(Evaluator, NamesResolveLeftToRight) {
    EXPECT_EQ(Text(u"f(1) + g(2)"), u"203");
    EXPECT_EQ(host.CallNames(), (std::vector<std::u16string>{u"f", u"g"}));

    EXPECT_EQ(Text(u"g(f(a) + 1, b) * 2"), u"404");
    EXPECT_EQ(host.CallNames(), (std::vector<std::u16string>{u"f", u"g"}));
    ASSERT_EQ(host.calls.size(), 2u);
    ASSERT_EQ(host.calls[1].args.size(), 2u);
    EXPECT_EQ(ToText(host.calls[1].args[0]), u"102");
    EXPECT_EQ(ToText(host.calls[1].args[1]), u"2");

    // The first failure stops the scan; calls already made stay made.
    Eval(u"f(1) + (1 / 0) + g(2)");
    EXPECT_EQ(host.Code(), 4);
    EXPECT_EQ(host.CallNames(), (std::vector<std::u16string>{u"f"}));
}

TEST_F(Evaluator, UnknownNamesFailWithCodeFive) {
    ExpectError(u"1 + zz", 5, u"未定義の関数/変数が使用されました - zz");
    ExpectError(u"Nothing(1, 2)", 5, u"未定義の関数/変数が使用されました - Nothing");
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].args.size(), 2u);
}

TEST_F(Evaluator, Subscripts) {
    EXPECT_EQ(Text(u"arr(0) + arr(3)"), u"23");
    EXPECT_EQ(Text(u"arr(1.5)"), u"12");
    EXPECT_EQ(Text(u"arr(2.5)"), u"12");
    EXPECT_EQ(Text(u"arr(a + b)"), u"13");
    EXPECT_EQ(Text(u"arr(\"1\")"), u"11");
    ExpectError(u"arr(1, 2)", 6, u"配列の添字が不正です");
    ExpectError(u"arr()", 6, u"配列の添字が不正です");
    ExpectError(u"arr(\"x\")", 6, u"配列の添字が不正です");
    ExpectError(u"arr(3000000000)", 6, u"配列の添字が不正です");
    ExpectError(u"arr(4)", 6, u"添字が範囲外です - arr");
    ExpectError(u"arr", 6, u"添字が範囲外です - arr");
    ExpectError(u"a(0)", 6, u"配列ではありません - a");
    EXPECT_TRUE(host.calls.empty());
}

std::u16string Nested(int depth, std::u16string_view open, std::u16string_view inner) {
    std::u16string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    text += std::u16string(static_cast<size_t>(depth), u')');
    return text;
}

TEST_F(Evaluator, BracketNestingIsLimited) {
    EXPECT_EQ(Text(Nested(256, u"(", u"7")), u"7");
    ExpectError(Nested(257, u"(", u"7"), 2, u"式が複雑すぎます");
    // A hostile line must end in an error, not in a stack overflow.
    ExpectError(Nested(1000, u"(", u"7"), 2, u"式が複雑すぎます");
    ExpectError(Nested(1000, u"f(", u"7"), 2, u"式が複雑すぎます");
    EXPECT_TRUE(host.calls.empty());
    // 200,000 levels are refused as quickly as 1,000: nothing of the inner levels is copied level by level
    // (that took gigabytes of memory before the limit was reached).
    ExpectError(Nested(200000, u"(", u"7"), 2, u"式が複雑すぎます");
    // A bracket without its partner is reported first, however deep the nesting inside it.
    ExpectError(u"(" + Nested(1000, u"(", u"7"), 2, u"括弧の数があいません");
    ExpectError(u"1 + f(2, (3)", 2, u"括弧の数があいません");
    EXPECT_EQ(Text(u"((1 + 2) * (3 + 4)) - (1)"), u"20");
}

} // namespace
