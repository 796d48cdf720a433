// Tests of calls and name resolution: user FUNCTION/SUB calls with their own stores and by-value parameters,
// recursion and its depth limit, requests to the host for unknown names, RunFunction and the failure table.
#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qm_test::TestHost;

TEST(Calls, FunctionsReturnThroughTheirName) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim n, r, blank, viaSub, bare\n"
                       u"n = 3\n"
                       u"r = Twice(21)\n"
                       u"blank = NoResult(1)\n"
                       u"viaSub = Proc(1)\n"
                       u"bare = Acc\n"
                       u"FUNCTION Twice(n)\n"
                       u"Twice = n * 2\n"
                       u"END FUNCTION\n"
                       u"FUNCTION NoResult(x)\n"
                       u"x = 5\n"
                       u"END FUNCTION\n"
                       u"SUB Proc(x)\n"
                       u"x = 9\n"
                       u"END SUB\n"
                       u"FUNCTION Acc()\n"
                       u"Acc = 1\n"
                       u"Acc = Acc + 1\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"42");
    EXPECT_EQ(host.GlobalText(u"n"), u"3");
    EXPECT_TRUE(host.Global(u"blank").IsEmpty());
    EXPECT_TRUE(host.Global(u"viaSub").IsEmpty());
    // Without brackets the function is called; inside, its own name alone is the result variable.
    EXPECT_EQ(host.GlobalText(u"bare"), u"2");
}

TEST(Calls, ParametersArePassedByValueAndEvaluatedLeftToRight) {
    TestHost host;
    auto echo = [](const std::vector<MacroValue>& args, cMoMacro_Error&) { return args.at(0); };
    host.functions[u"F"] = echo;
    host.functions[u"G"] = echo;
    ASSERT_EQ(host.Run(u"dim a, r, pair\n"
                       u"a = 5\n"
                       u"r = Bump(a)\n"
                       u"pair = Join(f(1), g(2))\n"
                       u"FUNCTION Bump(p)\n"
                       u"p = p + 1\n"
                       u"Bump = p\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Join(x, y)\n"
                       u"Join = x ; \"-\" ; y\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"6");
    EXPECT_EQ(host.GlobalText(u"a"), u"5");
    EXPECT_EQ(host.GlobalText(u"pair"), u"1-2");
    EXPECT_EQ(host.CallNames(), (std::vector<std::u16string>{u"f", u"g"}));
}

TEST(Calls, EachCallHasItsOwnLocalStore) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim x, r, total\n"
                       u"x = 1\n"
                       u"r = Shadow(5)\n"
                       u"total = Sum(4)\n"
                       u"FUNCTION Shadow(v)\n"
                       u"dim x\n"
                       u"x = v * 10\n"
                       u"Shadow = x + Peek()\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Peek()\n"
                       u"Peek = x\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Sum(n)\n"
                       u"dim keep\n"
                       u"keep = n\n"
                       u"IF n > 0 THEN\n"
                       u"Sum = Sum(n - 1) + keep\n"
                       u"ELSE\n"
                       u"Sum = 0\n"
                       u"END IF\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    // Peek sees the global x, not the caller's local one.
    EXPECT_EQ(host.GlobalText(u"r"), u"51");
    EXPECT_EQ(host.GlobalText(u"x"), u"1");
    EXPECT_EQ(host.GlobalText(u"total"), u"10");
}

TEST(Calls, ALocalDeclaredInOneCallIsNotSeenInTheNext) {
    // Calls of one function fill their stores alike, so names found in one are looked up in the next without
    // a search, unless a call declared more: F(1) declares a local g, F(0) must see the global one again.
    TestHost host;
    ASSERT_EQ(host.Run(u"dim g, a, b, c, d, e\n"
                       u"g = 7\n"
                       u"a = F(1)\nb = F(0)\nc = F(1)\nd = F(0)\ne = Nest(2)\n"
                       u"FUNCTION F(n)\n"
                       u"IF n = 1 THEN\n"
                       u"dim g\n"
                       u"g = 100\n"
                       u"END IF\n"
                       u"F = g + n\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Nest(n)\n"
                       u"IF n = 1 THEN\n"
                       u"dim g\n"
                       u"g = 1000\n"
                       u"END IF\n"
                       u"IF n > 0 THEN\n"
                       u"Nest = Nest(n - 1) + g\n"
                       u"END IF\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"a"), u"101");
    EXPECT_EQ(host.GlobalText(u"b"), u"7");
    EXPECT_EQ(host.GlobalText(u"c"), u"101");
    EXPECT_EQ(host.GlobalText(u"d"), u"7");
    EXPECT_EQ(host.GlobalText(u"e"), u"1007"); // Nest(1) adds its own g, Nest(2) the global one
}

TEST(Calls, ArraysDeclaredInsideRecursiveCallsBelongToTheirLevel) {
    // Every level declares its own array and reads it after the deeper levels returned; the arrays of
    // finished calls go back to the element budget, so many calls of large arrays in turn do not exhaust it.
    TestHost host;
    ASSERT_EQ(host.Run(u"dim r, k, big\n"
                       u"r = Levels(5)\n"
                       u"FOR k = 1 TO 200\n"
                       u"big = Large(k)\n"
                       u"NEXT\n"
                       u"FUNCTION Levels(n)\n"
                       u"dim mark(2)\n"
                       u"mark(1) = n * 10\n"
                       u"IF n > 0 THEN\n"
                       u"Levels = Levels(n - 1) + mark(1)\n"
                       u"ELSE\n"
                       u"Levels = mark(1)\n"
                       u"END IF\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Large(n)\n"
                       u"dim a(65535)\n"
                       u"a(65535) = n\n"
                       u"Large = a(65535)\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"150");
    EXPECT_EQ(host.GlobalText(u"big"), u"200");
}

TEST(Calls, ACallAfterAFailedRecursionStartsFromEmptyStores) {
    // The first run fails five levels deep, after those levels stored texts; the next run of the same engine
    // calls the function again and must see empty parameters and results, and no locals of the failed run.
    const std::u16string text = u"dim r\n"
                                u"r = Walk(5, \"x\")\n"
                                u"FUNCTION Walk(n, s)\n"
                                u"IF n = 0 THEN\n"
                                u"Walk = s ; Probe()\n"
                                u"ELSE\n"
                                u"dim own\n"
                                u"own = n\n"
                                u"Walk = Walk(n - 1, s ; own)\n"
                                u"END IF\n"
                                u"END FUNCTION\n";
    TestHost host;
    EXPECT_EQ(host.Run(text + u"FUNCTION Probe()\nProbe = missing\nEND FUNCTION\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - missing");
    EXPECT_EQ(host.Line(), 13);
    ASSERT_EQ(host.Run(text + u"FUNCTION Probe()\nProbe = \"-\" ; own ; Probe\nEND FUNCTION\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - own");
    ASSERT_EQ(host.Run(text + u"FUNCTION Probe()\nProbe = \"!\" ; Probe\nEND FUNCTION\n"), 0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"x54321!");
}

TEST(Calls, ManyParametersAndAFunctionCalledWithinItsOwnArguments) {
    // Fourteen parameters are more than a store searches one by one; the inner calls of Add run while the
    // outer call's arguments are being evaluated.
    TestHost host;
    ASSERT_EQ(host.Run(u"dim r, s\n"
                       u"r = Wide(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14)\n"
                       u"s = Add(Add(1, Add(2, 3)), Add(Add(4, 5), 6))\n"
                       u"FUNCTION Wide(a, b, c, d, e, f, g, h, i, j, k, l, m, n)\n"
                       u"IF a < 3 THEN\n"
                       u"Wide = Wide(a + 1, b, c, d, e, f, g, h, i, j, k, l, m, n * 10) + 1000\n"
                       u"ELSE\n"
                       u"Wide = a + b + c + d + e + f + g + h + i + j + k + l + m + n\n"
                       u"END IF\n"
                       u"END FUNCTION\n"
                       u"FUNCTION Add(x, y)\n"
                       u"Add = x + y\n"
                       u"END FUNCTION\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"3493"); // 3 + (2..13) + 1400 = 1493, plus 1000 from each outer level
    EXPECT_EQ(host.GlobalText(u"s"), u"21");
}

TEST(Calls, ArgumentCountAndParameterNames) {
    const std::u16string functions = u"FUNCTION One(v)\n"
                                     u"One = v\n"
                                     u"END FUNCTION\n"
                                     u"FUNCTION Fn(fn)\n"
                                     u"END FUNCTION\n"
                                     u"SUB Twin(a, A)\n"
                                     u"END SUB\n";
    TestHost host;
    EXPECT_EQ(host.Run(u"dim r\nr = One(1, 2)\n" + functions), 7);
    EXPECT_EQ(host.Info(), u"引数の数があいません");
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.Run(u"dim r\nr = One()\n" + functions), 7);
    EXPECT_EQ(host.Info(), u"引数の数があいません");
    EXPECT_EQ(host.Run(u"One\n" + functions), 7);
    EXPECT_EQ(host.Info(), u"引数の数があいません");

    EXPECT_EQ(host.Run(u"dim r\nr = Fn(1)\n" + functions), 5);
    EXPECT_EQ(host.Info(), u"既に定義されています - fn");
    EXPECT_EQ(host.Run(u"Twin 1, 2\n" + functions), 5);
    EXPECT_EQ(host.Info(), u"既に定義されています - A");
}

TEST(Calls, FirstOfTwoDefinitionsIsCalled) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim r\n"
                       u"r = dup()\n"
                       u"FUNCTION Dup()\n"
                       u"Dup = 1\n"
                       u"END FUNCTION\n"
                       u"FUNCTION DUP()\n"
                       u"Dup = 2\n"
                       u"END FUNCTION\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"r"), u"1");
}

constexpr char16_t kDeep[] = u"FUNCTION Deep(n)\n"
                             u"IF n > 0 THEN\n"
                             u"Deep = deep(n - 1) + 1\n"
                             u"ELSE\n"
                             u"Deep = 0\n"
                             u"END IF\n"
                             u"END FUNCTION\n";

TEST(Calls, RecursionWorksUpToTheDepthLimit) {
    TestHost host;
    ASSERT_EQ(host.Run(u"dim r\nr = Fact(5)\n"
                       u"FUNCTION Fact(n)\n"
                       u"IF n > 1 THEN\n"
                       u"Fact = n * Fact(n - 1)\n"
                       u"ELSE\n"
                       u"Fact = 1\n"
                       u"END IF\n"
                       u"END FUNCTION\n"),
              0);
    EXPECT_EQ(host.GlobalText(u"r"), u"120");

    EXPECT_EQ(host.Run(u"dim r\nr = Deep(900)\n" + std::u16string(kDeep)), 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"900");
    // Deep(999) nests exactly 1000 calls.
    EXPECT_EQ(host.Run(u"dim r\nr = Deep(999)\n" + std::u16string(kDeep)), 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.GlobalText(u"r"), u"999");
}

TEST(Calls, TooDeepRecursionFailsWithCodeSeven) {
    TestHost host;
    // The 1001st nested call fails; the name is the one the failing call wrote.
    EXPECT_EQ(host.Run(u"dim r\n\nr = Deep(1000)\n" + std::u16string(kDeep)), 7);
    EXPECT_EQ(host.Info(), u"関数の呼び出しが深すぎます - deep");
    EXPECT_EQ(host.Line(), 6);
    EXPECT_EQ(host.engine.Error().ErrorMsg(), u"関数の呼び出しが不正です");

    EXPECT_EQ(host.Run(u"PRINT \"start\"\n"
                       u"Forever\n"
                       u"PRINT \"never\"\n"
                       u"SUB Forever()\n"
                       u"Forever\n"
                       u"END SUB\n"),
              7);
    EXPECT_EQ(host.Info(), u"関数の呼び出しが深すぎます - Forever");
    EXPECT_EQ(host.Line(), 5);
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"start"}));

    // The depth count starts again with the next run.
    EXPECT_EQ(host.Run(u"dim r\nr = Deep(999)\n" + std::u16string(kDeep)), 0) << ToUtf8(host.Info());
}

TEST(Calls, DeepBracketsInsideDeepRecursionEndInAnError) {
    // Each of up to 1000 nested calls evaluates its recursive call inside 100 brackets: the engine must
    // refuse to go deeper before the process stack runs out.
    const std::u16string open(100, u'('), close(100, u')');
    TestHost host;
    const int32_t code = host.Run(u"dim res\nres = R(1000)\n"
                                  u"FUNCTION R(n)\n"
                                  u"IF n > 0 THEN\n"
                                  u"R = " +
                                  open + u"R(n - 1) + 1" + close +
                                  u"\n"
                                  u"END IF\n"
                                  u"END FUNCTION\n");
    EXPECT_TRUE(code == 2 || code == 7) << code;
    EXPECT_TRUE(host.Global(u"res").IsEmpty());
}

TEST(Calls, ExternRequestsGetEvaluatedArgumentsAndAPreArmedCode) {
    TestHost host;
    host.functions[u"EXT"] = [](const std::vector<MacroValue>&, cMoMacro_Error&) {
        return MacroValue::Int32(7);
    };
    host.functions[u"PI"] = [](const std::vector<MacroValue>&, cMoMacro_Error&) {
        return MacroValue::Int32(3);
    };
    ASSERT_EQ(host.Run(u"dim s, r, k, k2\n"
                       u"s = \"x\"\n"
                       u"r = Ext(1 + 1, s ; \"y\")\n"
                       u"k = pi\n"
                       u"k2 = PI()\n"
                       u"print 1 + 1, s\n"),
              0)
        << ToUtf8(host.Info());
    ASSERT_EQ(host.calls.size(), 4u);
    const qm_test::ExternCall& ext = host.calls[0];
    EXPECT_EQ(ext.name, u"Ext");
    ASSERT_EQ(ext.args.size(), 2u);
    EXPECT_EQ(ToText(ext.args[0]), u"2");
    EXPECT_EQ(ext.args[1].StringValue(), u"xy");
    EXPECT_EQ(ext.argTypes, (std::vector<int32_t>{ttNumber, ttNumber}));
    EXPECT_EQ(ext.codeOnEntry, 5);
    EXPECT_EQ(ext.infoOnEntry, u"未定義の関数/変数が使用されました - Ext");
    EXPECT_EQ(host.GlobalText(u"r"), u"7");

    // A name without brackets and one with empty brackets both get an empty value list.
    EXPECT_TRUE(host.calls[1].args.empty());
    EXPECT_TRUE(host.calls[2].args.empty());
    EXPECT_EQ(host.GlobalText(u"k"), u"3");
    EXPECT_EQ(host.GlobalText(u"k2"), u"3");

    // A call statement of a registered built-in passes the upper-case name.
    const qm_test::ExternCall& print = host.calls[3];
    EXPECT_EQ(print.name, u"PRINT");
    EXPECT_EQ(print.codeOnEntry, 5);
    EXPECT_EQ(print.infoOnEntry, u"未定義の関数/変数が使用されました - PRINT");
    EXPECT_EQ(print.argTypes, (std::vector<int32_t>{ttNumber, ttNumber}));
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"2\tx"}));
}

TEST(Calls, CallStatementArgumentsRunLeftToRightBeforeTheCall) {
    TestHost host;
    auto echo = [](const std::vector<MacroValue>& args, cMoMacro_Error&) { return args.at(0); };
    host.functions[u"F"] = echo;
    host.functions[u"G"] = echo;
    ASSERT_EQ(host.Run(u"PRINT f(1), g(2)\nShow f(3), g(4)\n"
                       u"SUB Show(p, q)\n"
                       u"PRINT p + q\n"
                       u"END SUB\n"),
              0)
        << ToUtf8(host.Info());
    EXPECT_EQ(host.CallNames(), (std::vector<std::u16string>{u"f", u"g", u"PRINT", u"f", u"g", u"PRINT"}));
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"1\t2", u"7"}));
}

TEST(Calls, UnknownNamesAndHostErrorsStopTheRun) {
    TestHost host;
    EXPECT_EQ(host.Run(u"PRINT 1\nDoIt 1\nPRINT 2\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - DoIt");
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"1"}));

    host.output.clear();
    EXPECT_EQ(host.Run(u"dim r\nr = 1 + Missing\nPRINT r\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - Missing");
    EXPECT_TRUE(host.output.empty());

    host.functions[u"FAIL"] = [](const std::vector<MacroValue>&, cMoMacro_Error& error) {
        error.Report(7, u"失敗しました");
        return MacroValue();
    };
    EXPECT_EQ(host.Run(u"PRINT 1\n\nFail\nPRINT 2\n"), 7);
    EXPECT_EQ(host.Info(), u"失敗しました");
    EXPECT_EQ(host.Line(), 3);
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"1"}));
}

TEST(Calls, TargetAndDeclarationFailures) {
    TestHost host;
    EXPECT_EQ(host.Run(u"dim a(\"x\")\n"), 2);
    EXPECT_EQ(host.Info(), u"配列の添字が不正です");
    EXPECT_EQ(host.Run(u"dim a(3)\na(\"x\") = 1\n"), 2);
    EXPECT_EQ(host.Info(), u"配列の添字が不正です");
    EXPECT_EQ(host.Line(), 2);
    EXPECT_EQ(host.Run(u"dim a(3)\nFOR a(\"1\") = 1 TO 2\nNEXT\n"), 2);
    EXPECT_EQ(host.Info(), u"配列の添字が不正です");

    EXPECT_EQ(host.Run(u"dim x\ny = 1\n"), 5);
    EXPECT_EQ(host.Info(), u"変数が定義されていません。- y");
    EXPECT_EQ(host.Run(u"FOR k = 1 TO 2\nNEXT\n"), 5);
    EXPECT_EQ(host.Info(), u"変数が定義されていません。- k");
    EXPECT_EQ(host.Run(u"dim a(3)\na(4) = 1\n"), 6);
    EXPECT_EQ(host.Info(), u"添字が範囲外です - a");
    EXPECT_EQ(host.Run(u"dim a\na(0) = 1\n"), 6);
    EXPECT_EQ(host.Info(), u"配列ではありません - a");
    EXPECT_EQ(host.Run(u"dim v\ndim V\n"), 5);
    EXPECT_EQ(host.Info(), u"既に定義されています - V");
    EXPECT_EQ(host.Run(u"dim big(65536)\n"), 5);
    EXPECT_EQ(host.Info(), u"配列のサイズが大きすぎます - big");
    EXPECT_TRUE(host.calls.empty());
}

TEST(Calls, RunFunctionRunsOneParameterlessFunction) {
    const std::u16string text = u"dim g\n"
                                u"g = 1\n"
                                u"PRINT \"main\"\n"
                                u"SUB Hello()\n"
                                u"PRINT \"hello\"\n"
                                u"END SUB\n"
                                u"SUB WithArgs(a)\n"
                                u"END SUB\n"
                                u"FUNCTION Uses()\n"
                                u"Uses = g\n"
                                u"END FUNCTION\n";
    TestHost host;
    host.engine.SetMacroText(qm_test::Crlf(text));
    EXPECT_EQ(host.engine.RunFunction(u"hello"), 0);
    EXPECT_EQ(host.output, (std::vector<std::u16string>{u"hello"}));

    host.engine.SetMacroText(qm_test::Crlf(text));
    EXPECT_EQ(host.engine.RunFunction(u"nope"), 5);
    EXPECT_EQ(host.Info(), u"定義されていない関数が呼び出されました。- nope");
    // The error stays pending until the text is assigned again.
    EXPECT_EQ(host.engine.RunFunction(u"Hello"), 5);
    EXPECT_EQ(host.output.size(), 1u);

    host.engine.SetMacroText(qm_test::Crlf(text));
    EXPECT_EQ(host.engine.RunFunction(u"WithArgs"), 7);
    EXPECT_EQ(host.Info(), u"引数のある関数を直接呼び出すことはできません。- WithArgs");

    // The main program does not run first, so its variables do not exist.
    host.engine.SetMacroText(qm_test::Crlf(text));
    EXPECT_EQ(host.engine.RunFunction(u"Uses"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - g");
    EXPECT_EQ(host.Line(), 10);
}

} // namespace
