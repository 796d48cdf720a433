// Tests that the engine's remembered lookups (prepared expressions, variable positions, user-function
// indexes) never answer from a state that has changed: later DIMs, recycled call stores, new texts and edited
// lists.
#include "engine_test_host.h"

#include <gtest/gtest.h>

using qm_test::Crlf;
using qm_test::TestHost;

namespace {

std::vector<std::u16string> Lines(std::initializer_list<const char16_t*> lines) {
    return std::vector<std::u16string>(lines.begin(), lines.end());
}

// The expression list of the first line "x = <expression>" of a parsed text.
TokenRef ExpressionOfFirstLet(cMoMacro_Engine& engine) {
    return engine.Line(0).Statement->ItemToken(2);
}

} // namespace

TEST(LookupCache, AVariableCreatedLaterByDimWinsInTheSameExpression) {
    TestHost host;
    // The same "print x" runs twice: first x is the global, then a local x created in between shadows it.
    int32_t code = host.Run(u"dim x\n"
                            u"x = \"global\"\n"
                            u"s\n"
                            u"end\n"
                            u"sub s()\n"
                            u"  dim i\n"
                            u"  for i = 1 to 2\n"
                            u"    print x\n"
                            u"    if i = 1 then\n"
                            u"      dim x\n"
                            u"      x = \"local\"\n"
                            u"    end if\n"
                            u"  next\n"
                            u"end sub\n");
    ASSERT_EQ(code, 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.output, Lines({u"global", u"local"}));
}

TEST(LookupCache, RecycledCallStoresDoNotKeepOldPositions) {
    TestHost host;
    // f(1) creates an extra local before b, f(2) does not: b sits at another position in each call's store,
    // and the second call reuses the first call's store.
    int32_t code = host.Run(u"print f(1), f(2), f(1)\n"
                            u"end\n"
                            u"function f(n)\n"
                            u"  if n = 1 then\n"
                            u"    dim a\n"
                            u"    a = 100\n"
                            u"  end if\n"
                            u"  dim b\n"
                            u"  b = n * 10\n"
                            u"  f = b\n"
                            u"end function\n");
    ASSERT_EQ(code, 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.output, Lines({u"10\t20\t10"}));
}

TEST(LookupCache, ANameThatBecomesAVariableStopsCallingTheHost) {
    TestHost host;
    int calls = 0;
    host.functions[u"V"] = [&](const std::vector<MacroValue>&, cMoMacro_Error&) {
        ++calls;
        return MacroValue::String(u"host");
    };
    int32_t code = host.Run(u"s\n"
                            u"end\n"
                            u"sub s()\n"
                            u"  dim i\n"
                            u"  for i = 1 to 2\n"
                            u"    print v\n"
                            u"    if i = 1 then\n"
                            u"      dim v\n"
                            u"      v = \"variable\"\n"
                            u"    end if\n"
                            u"  next\n"
                            u"end sub\n");
    ASSERT_EQ(code, 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.output, Lines({u"host", u"variable"}));
    EXPECT_EQ(calls, 1);
}

TEST(LookupCache, AHeldExpressionFollowsTheFunctionTableOfTheCurrentText) {
    TestHost host;
    host.functions[u"F"] = [](const std::vector<MacroValue>&, cMoMacro_Error&) {
        return MacroValue::Int32(-1);
    };
    host.engine.SetMacroText(Crlf(u"x = f(2)\n"));
    TokenRef expression = ExpressionOfFirstLet(host.engine);
    host.engine.Run();
    EXPECT_EQ(ToText(host.engine.Compute(*expression)), u"-1"); // no user function: the host answers

    host.engine.SetMacroText(Crlf(u"' only a function\nfunction f(n)\n  f = n * 21\nend function\n"));
    ASSERT_EQ(host.engine.Run(), 0);
    EXPECT_EQ(ToText(host.engine.Compute(*expression)), u"42")
        << ToUtf8(host.Info()); // the function defined now wins
}

TEST(LookupCache, AnEditedListIsPreparedAgain) {
    cMoMacro_Engine engine;
    engine.SetMacroText(u"x = 1 + 2");
    TokenRef expression = ExpressionOfFirstLet(engine);
    EXPECT_EQ(ToText(engine.Compute(*expression)), u"3");
    expression->SetItem(2, MacroValue::Double(40));
    EXPECT_EQ(ToText(engine.Compute(*expression)), u"41");
    expression->Add(MacroValue::String(u"*"), ttOperator);
    expression->Add(MacroValue::Double(2), ttNumber);
    EXPECT_EQ(ToText(engine.Compute(*expression)), u"81");
}

TEST(LookupCache, EachRunStartsFromFreshStores) {
    TestHost host;
    const std::u16string text = u"dim a\n"
                                u"print a\n"
                                u"a = 5\n";
    ASSERT_EQ(host.Run(text), 0);
    ASSERT_EQ(host.Run(text), 0);
    EXPECT_EQ(host.output, Lines({u"", u""})); // the second run does not see the first run's value
}
