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
