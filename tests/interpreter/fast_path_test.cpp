// Tests of the engine's shortcuts for common cases: each must give the results, errors and order of the
// general path it stands in for (loops, assignments, elements, texts appended in place, the direct route).
#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <algorithm>

using qm_test::TestHost;

TEST(FastPaths, PlainLoopsCountAndStopAsTheGeneralLoopDoes) {
    TestHost host;
    // Upward, downward, a zero-trip loop, a variable end changed inside the body, and a step that is the loop
    // variable itself (read again for the test after the variable has grown).
    ASSERT_EQ(host.Run(u"dim i, n, a, b, c, e, d\n"
                       u"for i = 1 to 10 step 3\n  n = n + 1\nnext\n"
                       u"for i = 5 to 1 step -2\n  a = a + i\nnext\n"
                       u"for i = 5 to 1\n  b = b + 1\nnext\n"
                       u"e = 3\nfor i = 1 to e\n  c = c + 1\n  if i = 1 then\n    e = 6\n  end if\nnext\n"
                       u"for d = 1 to 20 step d\nnext\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"n"), u"4");
    EXPECT_EQ(host.GlobalText(u"i"), u"7"); // one step past the moved end
    EXPECT_EQ(host.GlobalText(u"a"), u"9");
    EXPECT_EQ(host.GlobalText(u"b"), u""); // never assigned: the body did not run
    EXPECT_EQ(host.GlobalText(u"c"), u"6");
    EXPECT_EQ(host.GlobalText(u"d"), u"32"); // 1, 2, 4, 8, 16, then 32 is past 20
}

TEST(FastPaths, LoopsThatLeaveThePlainCaseKeepTheirResultsAndErrors) {
    TestHost host;
    // A whole-number step from LEN, an element as loop variable, and a text end that stops the loop.
    host.functions[u"LEN2"] = [](const std::vector<MacroValue>&, cMoMacro_Error& error) {
        error.Clear();
        return MacroValue::Int32(2);
    };
    ASSERT_EQ(host.Run(u"dim i, n, k(3)\n"
                       u"for i = 1 to 7 step len2()\n  n = n + 1\nnext\n"
                       u"for k(1) = 1 to 3\n  n = n + 10\nnext\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"n"), u"34");
    EXPECT_EQ(host.GlobalText(u"k", 1), u"4");
    EXPECT_EQ(host.Run(u"dim i, n\nfor i = 1 to \"x\"\n  n = n + 1\nnext\n"), 2);
    EXPECT_EQ(host.Info(), u"データ型があいません");
}

TEST(FastPaths, AssignmentsAndElementsReportTheGeneralErrors) {
    TestHost host;
    EXPECT_EQ(host.Run(u"dim a(2)\na = 1\n"), 6);
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.Run(u"dim a(2), x\nx = a(3)\n"), 6);
    EXPECT_EQ(host.Info(), u"添字が範囲外です - a");
    EXPECT_EQ(host.Run(u"dim a(2), x\nx = a(\"q\")\n"), 6);
    EXPECT_EQ(host.Info(), u"配列の添字が不正です");
    EXPECT_EQ(host.Run(u"dim a(2), x\na(1) = 5\nx = a(1) + a(\"1\")\n"), 0);
    EXPECT_EQ(host.GlobalText(u"x"), u"10");
    EXPECT_EQ(host.Run(u"dim x\nx = y\n"), 5);
}

TEST(FastPaths, TextsAppendedInPlaceLeaveTheirSourcesAlone) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim a, b, c, d\n"
                       u"a = \"x\"\nb = a + \"y\"\nc = a ; 3\nd = a + a + a\n"
                       u"a = a + a\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"a"), u"xx");
    EXPECT_EQ(host.GlobalText(u"b"), u"xy");
    EXPECT_EQ(host.GlobalText(u"c"), u"x3");
    EXPECT_EQ(host.GlobalText(u"d"), u"xxx");
    // Doubling a text until it passes the limit still ends with the overflow failure, the text unchanged.
    EXPECT_EQ(host.Run(u"dim s, n\ns = \"abcdefghijklmnop\"\nwhile 1\n  s = s + s\n  n = n + 1\nwend\n"), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 6);
    EXPECT_EQ(host.GlobalText(u"n"), u"20");
}

TEST(FastPaths, TheDirectRouteGivesWhatTheRequestGives) {
    TestHost host;
    std::vector<std::u16string> resolved;
    int32_t dispatched = 0;
    host.engine.SetExternDispatch(
        [&resolved](const std::u16string& upper) {
            resolved.push_back(upper);
            return upper == u"TWICE" ? 0 : upper == u"LAZY" ? 1 : -1;
        },
        [&dispatched](int32_t number, const std::u16string& upper, cMoMacro_Token& args, MacroValue& result,
                      cMoMacro_Error& error) {
            ++dispatched;
            if (number != 0) return; // LAZY leaves the error object as it found it
            error.Clear();
            result = MacroValue::Double(args.Item(0).AsDouble() * 2);
            EXPECT_EQ(upper, u"TWICE");
        });
    ASSERT_EQ(host.Run(u"dim i, s\nfor i = 1 to 3\n  s = s + Twice(i)\nnext\nprint s\n"), 0);
    EXPECT_EQ(host.GlobalText(u"s"), u"12");
    EXPECT_EQ(dispatched, 3);
    // Asked once for the slot in the loop; PRINT is not the route's and still goes by request.
    EXPECT_EQ(std::count(resolved.begin(), resolved.end(), u"TWICE"), 1);
    EXPECT_EQ(host.output, std::vector<std::u16string>{u"12"});
    // A function that does not clear the error object leaves the undefined-name error armed, as by request.
    EXPECT_EQ(host.Run(u"dim x\nx = lazy(1)\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - lazy");
    EXPECT_EQ(host.Line(), 2);
}

namespace {

// One evaluation's outcome: the value's kind and text, or the error it ended with.
struct Outcome {
    ValueKind kind = ValueKind::Empty;
    std::u16string text;
    int32_t code = 0;
    int32_t sub = 0;
    std::u16string info;
    bool operator==(const Outcome&) const = default;
};

Outcome OutcomeOf(const TestHost& host, const MacroValue& value) {
    return {value.Kind(), ToText(value), host.Code(), host.engine.Error().ErrorCodeSub(), host.Info()};
}

} // namespace

TEST(FastPaths, NumericProgramsGiveWhatTheGeneralStepsGive) {
    // Each expression is evaluated by Compute, which runs its numeric program when it has one, and by
    // Compute_Nocheck, which always replays the general steps; kind, value and error must agree.
    const std::u16string_view expressions[] = {
        u"d * 2 + h",
        u"h MOD 4",
        u"h \\ 2",
        u"h MOD 0",
        u"d / 0",
        u"-d",
        u"-h",
        u"t = -1",
        u"t + 1",
        u"h + h",
        u"d - d * 3 / 7",
        u"arr(1) + arr(h)",
        u"arr(1.5)",
        u"arr(2.5)",
        u"arr(4)",
        u"arr(-1)",
        u"arr(t)",
        u"s + 1",
        u"d < h",
        u"g * g",
        u"2147483648 MOD 2",
        u"f(1) + d",
        u"d MOD 2.5",
        u"h MOD h = 0",
        u"(d + 1) * (h - 1) > arr(2)",
        u"arr(arr(0) - 9) * -2",
        u"e + 1",
        u"t",
        u"n MOD 3",
        u"-(d * 2)",
        u"h MOD h",
        u"h \\ h",
        u"t MOD t",
    };
    TestHost host;
    host.functions[u"F"] = [](const std::vector<MacroValue>& args, cMoMacro_Error& error) {
        error.Clear();
        return MacroValue::Double(args[0].AsDouble() + 100);
    };
    for (std::u16string_view expression : expressions) {
        std::u16string macro = u"dim d, h, t, s, e, n, g, r, arr(3)\n"
                               u"d = 2.5\nh = &H7\nt = 1 < 2\ns = \"x\"\nn = 7 MOD 4\ng = 10 ^ 200\n"
                               u"arr(0) = 10\narr(1) = 11.5\narr(2) = &H3\narr(3) = t\nEND\nr = ";
        macro += expression;
        ASSERT_EQ(host.Run(macro), 0) << ToUtf8(expression);
        const cMoMacro_Token& tokens = *host.engine.Line(host.engine.LineCount() - 1).Statement->ItemToken(2);
        host.engine.Error().Clear();
        const Outcome fast = OutcomeOf(host, host.engine.Compute(tokens));
        host.engine.Error().Clear();
        TokenRef values = host.engine.Compute_Nocheck(tokens);
        const Outcome general =
            OutcomeOf(host, values && values->Count() == 1 ? values->Item(0) : MacroValue());
        EXPECT_EQ(fast, general) << ToUtf8(expression) << ": " << ToUtf8(fast.text) << " / "
                                 << ToUtf8(general.text) << ", " << ToUtf8(fast.info) << " / "
                                 << ToUtf8(general.info);
    }
}

TEST(FastPaths, NumericAssignmentsAndConditionsWriteWhatTheGeneralPathWrites) {
    TestHost host;
    // A text variable overwritten by a number, a condition from a remainder, an
    // element target, and a scalar of the running function (its result variable) assigned in place.
    ASSERT_EQ(host.Run(u"dim s, k, c, a(2), r\n"
                       u"s = \"text\"\ns = 3 * 2\nk = &H9 MOD &H4\n"
                       u"if k MOD 2 then\n  c = 1\nend if\n"
                       u"a(k) = s / 4\nr = twice(s)\n"
                       u"function twice(x)\n  twice = x * 2\n  x = 0\nend function\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"s"), u"6");
    EXPECT_EQ(host.GlobalText(u"c"), u"1");
    EXPECT_EQ(host.GlobalText(u"a", 1), u"1.5");
    EXPECT_EQ(host.GlobalText(u"r"), u"12");
    // A division by zero in a numeric assignment or condition reports the general error on its line.
    EXPECT_EQ(host.Run(u"dim x\nx = 1\nx = x / 0\n"), 4);
    EXPECT_EQ(host.Line(), 3);
    EXPECT_EQ(host.Run(u"dim x\nwhile x MOD 0\nwend\n"), 4);
    EXPECT_EQ(host.Line(), 2);
}

TEST(FastPaths, ATextAppendedToItsOwnVariableKeepsEveryOtherHolderAndErrorWhole) {
    TestHost host;
    // F changes the global s while the right side is evaluated: the value is the old s with F's result.
    ASSERT_EQ(host.Run(u"dim s, t, u\n"
                       u"s = \"ab\"\nt = s\ns = s + \"c\"\n"
                       u"u = \"x\"\nu = u + F()\n"
                       u"FUNCTION F()\n  u = \"changed\"\n  F = \"y\"\nEND FUNCTION\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"s"), u"abc");
    EXPECT_EQ(host.GlobalText(u"t"), u"ab");
    EXPECT_EQ(host.GlobalText(u"u"), u"xy");
    // An assignment that fails (two values, or past the length limit) leaves its target as it was.
    EXPECT_EQ(host.Run(u"dim s\ns = \"ab\"\ns = 1, s + \"c\"\n"), 2);
    EXPECT_EQ(host.GlobalText(u"s"), u"ab");
    EXPECT_EQ(host.Run(u"dim s, n\ns = \"abcdefghijklmnop\"\n"
                       u"for n = 1 to 20\n  s = s + s\nnext\n"
                       u"s = s + \"x\"\n"),
              4);
    const MacroValue s = host.engine.GlobalVariable()->GetByName(u"s", -1, host.engine.Error());
    EXPECT_EQ(s.StringValue().size(), size_t{1} << 24);
}

TEST(FastPaths, ElementAssignmentsInPlaceGiveWhatTheGeneralPathGives) {
    // Each subscript and value is assigned once directly (the in-place route) and once through SAME, a host
    // function that returns its argument and so forces the general path; the elements, their kinds and the
    // error must agree.
    const std::u16string_view subscripts[] = {u"1", u"h", u"1.5",   u"2.5", u"-1",
                                              u"4", u"t", u"1 > 2", u"s",   u"d * 0"};
    const std::u16string_view values[] = {u"2.5", u"h", u"t", u"h + 1", u"s", u"d / 0"};
    TestHost host;
    host.functions[u"SAME"] = [](const std::vector<MacroValue>& args, cMoMacro_Error& error) {
        error.Clear();
        return args[0];
    };
    auto outcome = [&host](const std::u16string& assignment) {
        std::u16string macro =
            u"dim d, h, t, s, arr(3)\nd = 2.5\nh = &H2\nt = 1 < 2\ns = \"1\"\n" + assignment;
        // The run's code, line (in place of a sub-code) and text, then the four elements.
        std::vector<Outcome> out{{ValueKind::Empty, u"", host.Run(macro), host.Line(), host.Info()}};
        for (int32_t k = 0; k <= 3; ++k) out.push_back(OutcomeOf(host, host.Global(u"arr", k)));
        return out;
    };
    for (std::u16string_view subscript : subscripts) {
        for (std::u16string_view value : values) {
            const std::u16string sub(subscript), val(value);
            const auto direct = outcome(u"arr(" + sub + u") = " + val + u"\n");
            const auto general = outcome(u"arr(same(" + sub + u")) = same(" + val + u")\n");
            EXPECT_EQ(direct, general) << ToUtf8(sub) << " = " << ToUtf8(val);
        }
    }
}

TEST(FastPaths, VariablesAreFoundAgainWhenTheStoresChange) {
    TestHost host;
    // A global array created in the middle of a loop that already runs in place, a local array of a function
    // hiding a global one of the same name, and one line run by calls at several depths of a recursion.
    ASSERT_EQ(
        host.Run(u"dim i, s, a(3), r\n"
                 u"for i = 1 to 3\n  s = s + i\n  if i = 1 then\n    dim t(5)\n  end if\n  t(i) = s\nnext\n"
                 u"r = fill(2) + depth(4)\n"
                 u"function fill(k)\n  dim a(3)\n  a(k) = 7\n  fill = a(k)\nend function\n"
                 u"function depth(n)\n  dim v\n  v = n * 10\n  if n > 0 then\n    v = v + depth(n - 1)\n"
                 u"  end if\n  depth = v\nend function\n"),
        0);
    EXPECT_EQ(host.GlobalText(u"s"), u"6");
    EXPECT_EQ(host.GlobalText(u"t", 1), u"1");
    EXPECT_EQ(host.GlobalText(u"t", 3), u"6");
    EXPECT_EQ(host.GlobalText(u"a", 2), u""); // the function wrote its own array
    EXPECT_EQ(host.GlobalText(u"r"), u"107"); // 7 + 40 + 30 + 20 + 10 + 0

    // The same lines run by calls of one function at alternating depths: a loop over its own parameter and
    // step, and its own array written and read, each call's variables and none of another call's.
    ASSERT_EQ(
        host.Run(u"dim r\nr = walk(3, 1) * 1000 + walk(2, 2)\n"
                 u"function walk(n, s)\n  dim i, t, a(5)\n  for i = 1 to n step s\n    a(i) = i * n\n"
                 u"    t = t + a(i)\n  next\n  if n > 1 then\n    t = t + walk(n - 1, s) * 100\n  end if\n"
                 u"  walk = t + a(n)\nend function\n"),
        0)
        << ToUtf8(host.Info());
    // walk(1, s) = 1 + a(1) = 2; walk(2, 1) = 6 + 200 + a(2) = 210; walk(3, 1) = 18 + 21000 + a(3) = 21027;
    // walk(2, 2) = 2 + 200 + a(2), which that call never wrote = 202.
    EXPECT_EQ(host.GlobalText(u"r"), u"21027202");

    // Without DIM every call's store has the same names, and a line bound in one call is moved to the next
    // call's variables: a loop over a parameter with a parameter as step, and the function's own result.
    ASSERT_EQ(host.Run(u"dim r\nr = tri(4, -2) * 1000 + tri(3, -1)\n"
                       u"function tri(n, s)\n  for n = n to 1 step s\n    tri = tri + n\n  next\n"
                       u"  if s < -1 then\n    tri = tri + tri(3, s + 1) * 100\n  end if\nend function\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"606006"); // tri(3, -1) = 3 + 2 + 1; tri(4, -2) = 4 + 2 + 600
}
