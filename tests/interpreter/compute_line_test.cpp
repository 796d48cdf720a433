// Tests of ComputeLine: the generated two-line macro, fresh stores per call, and RequestUndefinedVariable,
// which is raised for unknown names only while ComputeLine (or a RunFunction before any Run) is evaluating.
#include "engine_test_host.h"
#include "failure_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using qm_test::TestHost;

struct UndefinedCall {
    std::u16string name;
    bool hadArgs = false;
    int32_t argCount = 0;
    int32_t codeOnEntry = 0;
};

// Answers RequestUndefinedVariable the way the macro facade does, with scripted answers instead of a prompt.
class ComputeLineTest : public ::testing::Test {
  protected:
    TestHost host;
    std::vector<UndefinedCall> asked;
    std::map<std::u16string, std::u16string> answers; // a name without an answer is a cancelled prompt

    void SetUp() override {
        host.engine.SetRequestUndefinedVariable([this](const std::u16string& name, const cMoMacro_Token* args,
                                                       MacroValue& result, cMoMacro_Error& error) {
            asked.push_back({name, args != nullptr, args ? args->Count() : 0, error.ErrorCode()});
            error.Clear();
            if (args != nullptr && args->Count() > 0) {
                error.Report(
                    2,
                    u"未定義の関数が使用されたか、ComputeLineでは使用できない配列変数が使用されています。- " +
                        name);
                return;
            }
            auto answer = answers.find(name);
            if (answer == answers.end() || answer->second.empty()) {
                error.Report(5, u"変数の値が入力されませんでした。- " + name);
                return;
            }
            const std::u16string& text = answer->second;
            MacroValue value = host.engine.IsConst(text) ? host.engine.ValX(text) : MacroValue::String(text);
            host.engine.GlobalVariable()->CreateVariable(name, -1, error);
            host.engine.GlobalVariable()->SetByName(name, -1, value, error);
            result = value;
        });
    }

    std::u16string Compute(const std::u16string& expression) {
        return ToText(host.engine.ComputeLine(expression));
    }
};

TEST_F(ComputeLineTest, EvaluatesAnExpressionThroughAGeneratedMacro) {
    EXPECT_EQ(Compute(u"1 + 2"), u"3");
    EXPECT_EQ(host.Code(), 0);
    EXPECT_EQ(host.engine.MacroText(), u"dim _\r\n_=1 + 2");
    EXPECT_EQ(Compute(u"\"a\" ; 2 ^ 3"), u"a8");
    EXPECT_EQ(Compute(u"10 - 5 - 2"), u"7");
    // A line break inside the expression starts further statements of the generated macro.
    EXPECT_EQ(Compute(u"1\r\n_ = 5"), u"5");
    EXPECT_TRUE(asked.empty());

    host.functions[u"TWICE"] = [](const std::vector<MacroValue>& args, cMoMacro_Error&) {
        return MacroValue::Double(args.at(0).AsDouble() * 2);
    };
    EXPECT_EQ(Compute(u"Twice(4) + 1"), u"9");
    EXPECT_TRUE(asked.empty());
}

TEST_F(ComputeLineTest, AnUnknownNameIsAskedForOnce) {
    answers[u"x"] = u"3";
    EXPECT_EQ(Compute(u"x + x * 2"), u"9");
    EXPECT_EQ(host.Code(), 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].name, u"x");
    EXPECT_FALSE(asked[0].hadArgs);
    EXPECT_EQ(asked[0].codeOnEntry, 5);
    // The host's extern request comes first, then the undefined-variable request.
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls[0].name, u"x");

    // Every call starts with fresh stores, so the next call asks again.
    answers[u"x"] = u"abc";
    EXPECT_EQ(Compute(u"x ; x"), u"abcabc");
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(ComputeLineTest, RefusedAndCancelledAnswers) {
    MacroValue value = host.engine.ComputeLine(u"1 + x");
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_EQ(host.Code(), 5);
    EXPECT_EQ(host.Info(), u"変数の値が入力されませんでした。- x");

    value = host.engine.ComputeLine(u"y(1) + 1");
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_EQ(host.Code(), 2);
    EXPECT_EQ(host.Info(),
              u"未定義の関数が使用されたか、ComputeLineでは使用できない配列変数が使用されています。- y");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].hadArgs);
    EXPECT_EQ(asked[1].argCount, 1);

    // Empty brackets supply an empty list, which is asked for like a plain name.
    answers[u"y"] = u"4";
    EXPECT_EQ(Compute(u"y() + 1"), u"5");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_TRUE(asked[2].hadArgs);
    EXPECT_EQ(asked[2].argCount, 0);
}

TEST_F(ComputeLineTest, ParseAndRunErrorsLeaveTheResultEmpty) {
    EXPECT_TRUE(host.engine.ComputeLine(u"").IsEmpty());
    EXPECT_EQ(host.Code(), 2);
    EXPECT_EQ(host.Info(), u"代入文の右辺がありません");
    EXPECT_EQ(host.Line(), 2);

    EXPECT_TRUE(host.engine.ComputeLine(u"1 / 0").IsEmpty());
    EXPECT_EQ(host.Code(), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 11);
    EXPECT_EQ(host.Info(), FailureDescription(11));

    EXPECT_TRUE(
        host.engine.ComputeLine(std::u16string(1000, u'(') + u"1" + std::u16string(1000, u')')).IsEmpty());
    EXPECT_EQ(host.Code(), 2);
    EXPECT_EQ(host.Info(), u"式が複雑すぎます");

    // The next call clears the previous error.
    EXPECT_EQ(Compute(u"2 * 3"), u"6");
    EXPECT_EQ(host.Code(), 0);
    EXPECT_TRUE(asked.empty());
}

TEST_F(ComputeLineTest, RunNeverAsksForUnknownNames) {
    EXPECT_FALSE(host.engine.NoUndefinedRequest());
    answers[u"q"] = u"7";
    EXPECT_EQ(host.Run(u"dim r\nr = q\n"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - q");
    EXPECT_TRUE(host.engine.NoUndefinedRequest());
    EXPECT_TRUE(asked.empty());
}

TEST_F(ComputeLineTest, RunFunctionAsksOnlyWhenNoRunCameSinceTheLastComputeLine) {
    const std::u16string text = qm_test::Crlf(u"PRINT 0\nSUB Ask()\nPRINT q\nEND SUB\n");
    answers[u"q"] = u"7";

    // A fresh engine has not run yet: RunFunction asks.
    host.engine.SetMacroText(text);
    EXPECT_EQ(host.engine.RunFunction(u"Ask"), 0) << ToUtf8(host.Info());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(host.output, std::vector<std::u16string>{u"7"});

    // After a Run it does not.
    host.engine.SetMacroText(text);
    EXPECT_EQ(host.engine.Run(), 0);
    host.engine.SetMacroText(text);
    EXPECT_EQ(host.engine.RunFunction(u"Ask"), 5);
    EXPECT_EQ(host.Info(), u"未定義の関数/変数が使用されました - q");
    EXPECT_EQ(asked.size(), 1u);

    // ComputeLine switches asking on again.
    EXPECT_EQ(Compute(u"1"), u"1");
    EXPECT_FALSE(host.engine.NoUndefinedRequest());
    host.engine.SetMacroText(text);
    EXPECT_EQ(host.engine.RunFunction(u"Ask"), 0);
    EXPECT_EQ(asked.size(), 2u);
}

} // namespace
