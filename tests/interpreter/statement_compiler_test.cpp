// Tests of the statement compiler: the compiled form of every statement kind and every syntax error text,
// checked through whole macro texts so that line numbers and the order of stages are covered as well.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using qmtest::Dump;
using qmtest::Err;
using qmtest::ErrorText;
using qmtest::ParseError;
using qmtest::U8;

class StatementCompilerTest : public ::testing::Test {
  protected:
    StatementCompilerTest() { engine.AddExternFunction(u"KBD"); }

    // The compiled statement of one line of a text that must parse cleanly.
    std::string Compiled(const std::u16string& text, int32_t line = 0, bool typed = false) {
        engine.SetMacroText(text);
        EXPECT_EQ(engine.Error().ErrorCode(), 0) << U8(text) << ": " << ErrorText(engine.Error());
        if (line >= engine.LineCount()) return "(no line)";
        return Dump(engine.Line(line).Statement, typed);
    }
    // Each text must fail on its first line with code 2 and the given text.
    void ExpectSyntaxError(std::u16string_view info, const std::vector<std::u16string>& texts) {
        for (const std::u16string& text : texts)
            EXPECT_EQ(ParseError(engine, text), Err(2, 1, info)) << U8(text);
    }

    cMoMacro_Engine engine;
};

TEST_F(StatementCompilerTest, Assignments) {
    EXPECT_EQ(Compiled(u"x = 1"), "LET [x] [1]");
    EXPECT_EQ(Compiled(u"x = 1", 0, true), "LET:1 [x:5] [1:3]");
    EXPECT_EQ(Compiled(u"x = -1"), "LET [x] [- 1]");
    EXPECT_EQ(Compiled(u"a(1, 2) = 3"), "LET [a [1 , 2]] [3]");
    EXPECT_EQ(Compiled(u"a(i) = b(i) + 1"), "LET [a [i]] [b ( i ) + 1]");
    EXPECT_EQ(Compiled(u"a((1) + 2) = 2"), "LET [a [( 1 ) + 2]] [2]");
    EXPECT_EQ(Compiled(u"s = \"x\" + KBD", 0, true), "LET:1 [s:5] [\"x\":4 +:2 KBD:6]");
    EXPECT_EQ(Compiled(u"Let = Call"), "LET [Let] [Call]");
}

TEST_F(StatementCompilerTest, ProcedureCalls) {
    EXPECT_EQ(Compiled(u"Foo"), "CALL Foo []");
    EXPECT_EQ(Compiled(u"Foo 1", 0, true), "CALL:1 Foo:5 [[1:3]]");
    EXPECT_EQ(Compiled(u"Foo 1, (2+3)"), "CALL Foo [[1] [( 2 + 3 )]]");
    EXPECT_EQ(Compiled(u"Foo ,1"), "CALL Foo [[] [1]]");
    EXPECT_EQ(Compiled(u"Foo 1,,2"), "CALL Foo [[1] [] [2]]");
    EXPECT_EQ(Compiled(u"Foo f(1, 2), 3"), "CALL Foo [[f ( 1 , 2 )] [3]]");
    EXPECT_EQ(Compiled(u"Foo x = 1"), "CALL Foo [[x = 1]]");
    EXPECT_EQ(Compiled(u"Foo \"a\", -b"), "CALL Foo [[\"a\"] [- b]]");
    // Deep nesting is cut without running out of stack.
    const std::u16string deep = std::u16string(20000, u'(') + u"1" + std::u16string(20000, u')');
    EXPECT_EQ(Compiled(u"Foo 2, " + deep).substr(0, 16), "CALL Foo [[2] [(");
    EXPECT_EQ(engine.Line(0).Statement->ItemToken(2)->ItemToken(1)->Count(), 40001);
}

TEST_F(StatementCompilerTest, BuiltInCallsNameTheBuiltInAsAName) {
    EXPECT_EQ(Compiled(u"kbd VK_A, PRESS", 0, true), "CALL:1 KBD:5 [[VK_A:5] [PRESS:5]]");
    EXPECT_EQ(Compiled(u"KBD"), "CALL KBD []");
    EXPECT_EQ(Compiled(u"KBD (1), 2"), "CALL KBD [[( 1 )] [2]]");
    EXPECT_EQ(Compiled(u"KBD(1)"), "CALL KBD [[( 1 )]]");
    EXPECT_EQ(Compiled(u"KBD = 1"), "CALL KBD [[= 1]]");
}

TEST_F(StatementCompilerTest, DimItems) {
    EXPECT_EQ(Compiled(u"DIM a, b(10), c(2,3)"), "DIM [a] [b [10]] [c [2 , 3]]");
    EXPECT_EQ(Compiled(u"dim a", 0, true), "DIM:1 [a:5]");
    EXPECT_EQ(Compiled(u"DIM a(i+1)"), "DIM [a [i + 1]]");
    EXPECT_EQ(Compiled(u"DIM a((2))"), "DIM [a [( 2 )]]");
}

TEST_F(StatementCompilerTest, OneItemStatements) {
    EXPECT_EQ(Compiled(u"END", 0, true), "END:1");
    EXPECT_EQ(Compiled(u"EXIT FOR", 0, true), "EXIT FOR:1");
    EXPECT_EQ(Compiled(u"exit while"), "EXIT WHILE");
    EXPECT_EQ(Compiled(u"Exit If"), "EXIT IF");
    EXPECT_EQ(Compiled(u"EXIT SUB"), "EXIT SUB");
    EXPECT_EQ(Compiled(u"EXIT FUNCTION"), "EXIT FUNCTION");
    EXPECT_EQ(Compiled(u"' only a comment"), "");
    EXPECT_EQ(Compiled(u"x = 1\r' note\ry = 2", 1), "");
}

TEST_F(StatementCompilerTest, BlockStatementsWithTheirLinks) {
    EXPECT_EQ(Compiled(u"FOR i = 1 TO 10\rNEXT"), "FOR [i] [1] [10] [1] 1");
    EXPECT_EQ(Compiled(u"FOR i = 1 TO 10\rNEXT", 0, true), "FOR:1 [i:5] [1:3] [10:3] [1:3] 1:3");
    EXPECT_EQ(Compiled(u"FOR i = 1 TO 10\rNEXT", 1, true), "NEXT:1 0:3");
    EXPECT_EQ(Compiled(u"FOR i = 10 TO 1 STEP -1\rNEXT"), "FOR [i] [10] [1] [- 1] 1");
    EXPECT_EQ(Compiled(u"FOR a(2) = 1 TO n + 1 STEP k\rNEXT"), "FOR [a [( 2 )]] [1] [n + 1] [k] 1");
    EXPECT_EQ(Compiled(u"FOR i = a(1, 2) TO b\rNEXT"), "FOR [i] [a ( 1 , 2 )] [b] [1] 1");
    EXPECT_EQ(Compiled(u"IF a = 1 THEN\rELSE\rEND IF"), "IF [a = 1] 1 2");
    EXPECT_EQ(Compiled(u"IF a = 1 THEN\rELSE\rEND IF", 1), "ELSE 0");
    EXPECT_EQ(Compiled(u"IF a = 1 THEN\rELSE\rend if", 2, true), "END IF:1 0:3");
    EXPECT_EQ(Compiled(u"WHILE x < 3\rWEND"), "WHILE [x < 3] 1");
    EXPECT_EQ(Compiled(u"WHILE x < 3\rWEND", 1), "WEND 0");
    EXPECT_EQ(Compiled(u"FUNCTION F(a, b)\rEND FUNCTION", 0, true), "FUNCTION:1 F:5 [[a:5] [b:5]] 1:3");
    EXPECT_EQ(Compiled(u"FUNCTION F(a, b)\rEND FUNCTION", 1), "END FUNCTION 0");
    EXPECT_EQ(Compiled(u"sub mAin()\rend sub"), "SUB mAin [] 1");
    EXPECT_EQ(Compiled(u"sub mAin()\rend sub", 1), "END SUB 0");
}

TEST_F(StatementCompilerTest, CachedStatementKinds) {
    const std::u16string text =
        u"DIM a\rx = 1\rFoo\rFOR i = 1 TO 2\rEXIT FOR\rNEXT\rIF x THEN\rEXIT IF\rELSE\r"
        u"END IF\rWHILE x\rEXIT WHILE\rWEND\rEND\r' c\rFUNCTION F()\rEXIT FUNCTION\r"
        u"END FUNCTION\rSUB S()\rEXIT SUB\rEND SUB";
    ASSERT_TRUE(qmtest::Parses(engine, text));
    const std::vector<StatementKind> kinds = {
        StatementKind::Dim,      StatementKind::Let,          StatementKind::Call,
        StatementKind::For,      StatementKind::ExitFor,      StatementKind::Next,
        StatementKind::If,       StatementKind::ExitIf,       StatementKind::Else,
        StatementKind::EndIf,    StatementKind::While,        StatementKind::ExitWhile,
        StatementKind::Wend,     StatementKind::End,          StatementKind::Empty,
        StatementKind::Function, StatementKind::ExitFunction, StatementKind::EndFunction,
        StatementKind::Sub,      StatementKind::ExitSub,      StatementKind::EndSub};
    ASSERT_EQ(engine.LineCount(), static_cast<int32_t>(kinds.size()));
    for (int32_t i = 0; i < engine.LineCount(); ++i)
        EXPECT_EQ(static_cast<int>(engine.Line(i).Kind), static_cast<int>(kinds[static_cast<size_t>(i)]))
            << i;
}

TEST_F(StatementCompilerTest, StatementsThatCannotStartALine) {
    EXPECT_EQ(ParseError(engine, u"THEN"), Err(2, 1, u"未対応の制御文が使用されました。", u"THEN"));
    EXPECT_EQ(ParseError(engine, u"to 5"), Err(2, 1, u"未対応の制御文が使用されました。", u"TO"));
    EXPECT_EQ(ParseError(engine, u"Step x"), Err(2, 1, u"未対応の制御文が使用されました。", u"STEP"));
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"構文エラーです"));
    ExpectSyntaxError(u"", {u"+ 1", u"1", u"\"a\" = 1", u"(x) = 1", u", a", u"= 1"});
}

TEST_F(StatementCompilerTest, AssignmentAndCallErrors) {
    ExpectSyntaxError(u"代入文の右辺がありません", {u"x =", u"a(1) =", u"x = 'comment"});
    ExpectSyntaxError(u"配列の添字が不正です", {u"a() = 1", u"a()"});
    ExpectSyntaxError(u"サブルーチンの呼び出し方が正しくありません",
                      {u"Foo(1)", u"Foo (1), 2", u"Foo(1) 2", u"Foo (1) + 2", u"Foo ((1, 2))"});
    ExpectSyntaxError(u",で終わってます", {u"Foo 1,", u"Foo ,", u"KBD 1,", u"Foo 1, 2,"});
    ExpectSyntaxError(u"（）の数が合いません", {u"Foo (1", u"Foo 1, (2", u"a(1 = 2", u"KBD ((1)"});
}

TEST_F(StatementCompilerTest, DimErrors) {
    ExpectSyntaxError(u"定義する変数名が指定されていません", {u"DIM", u"DIM 'x"});
    ExpectSyntaxError(
        u"使用できない名前の変数が定義されています。",
        {u"DIM 5", u"DIM a b", u"DIM a()", u"DIM a 1", u"DIM ,a", u"DIM KBD", u"DIM \"s\"", u"DIM a, 1"});
    ExpectSyntaxError(u"配列の定義が正しくありません", {u"DIM a 1 2 3", u"DIM a(1)x", u"DIM a x y )"});
    ExpectSyntaxError(u",で終わってます", {u"DIM a,"});
    // The parenthesis of "DIM a(1" is never closed, and that is what is reported.
    ExpectSyntaxError(u"（）の数が合いません", {u"DIM a(1"});
}

TEST_F(StatementCompilerTest, ForErrorsInTheirOrder) {
    ExpectSyntaxError(u"TOがありません", {u"FOR i = 1", u"FOR i = 1 STEP 2", u"FOR"});
    ExpectSyntaxError(u"変数が指定されていません", {u"FOR TO 3", u"FOR = 1 TO 3", u"FOR 1 = 1 TO 3"});
    ExpectSyntaxError(u"STEP値が指定されていません", {u"FOR i = 1 TO 5 STEP"});
    ExpectSyntaxError(u"終了値が指定されていません",
                      {u"FOR i = 1 TO", u"FOR i = 1 TO STEP 2", u"FOR i TO", u"FOR 1 TO"});
    ExpectSyntaxError(u"初期値が指定されていません", {u"FOR i TO 3", u"FOR i = TO 3", u"FOR i 1 TO 3",
                                                      u"FOR a(1) TO 3", u"FOR a(1) 2 TO 3"});
    ExpectSyntaxError(u"配列の指定が正しくありません", {u"FOR a() = 1 TO 3"});
    ExpectSyntaxError(u"（）の数が合いません", {u"FOR a(1 = 1 TO 3"});
}

TEST_F(StatementCompilerTest, BlockStatementErrors) {
    EXPECT_EQ(ParseError(engine, u"FOR i = 1 TO 2\rNEXT i"), Err(2, 2, u"NEXT文の使い方が正しくありません"));
    ExpectSyntaxError(u"THENがありません", {u"IF a = 1", u"IF"});
    ExpectSyntaxError(u"条件式がありません", {u"IF THEN", u"WHILE", u"while 'x"});
    ExpectSyntaxError(u"THENの後ろに文は記述できません", {u"IF a THEN b = 2", u"IF a THEN THEN"});
    ExpectSyntaxError(u"ELSEの後ろに文は記述できません", {u"ELSE x", u"ELSE IF a THEN"});
    ExpectSyntaxError(u"無効なEND文です",
                      {u"END WHILE", u"END x", u"END 1", u"END IF x", u"END IF FUNCTION"});
    ExpectSyntaxError(u"WENDの後ろに文は記述できません", {u"WEND x"});
}

TEST_F(StatementCompilerTest, FunctionDefinitionErrors) {
    ExpectSyntaxError(u"関数名／引数が指定されていません",
                      {u"SUB Main", u"SUB Main(", u"SUB", u"FUNCTION F"});
    ExpectSyntaxError(u"関数名が不正です", {u"SUB 1()", u"SUB KBD()", u"FUNCTION \"s\"()", u"SUB IF()"});
    ExpectSyntaxError(u"引数が指定されていません", {u"SUB Main x)", u"SUB Main x y"});
    ExpectSyntaxError(u"引数が不正です",
                      {u"FUNCTION F(a, b+1)", u"FUNCTION F(,a)", u"FUNCTION F(a b)", u"FUNCTION F((a))"});
    ExpectSyntaxError(u"引数の変数名が使用できない名称です",
                      {u"FUNCTION F(1)", u"FUNCTION F(KBD)", u"FUNCTION F(\"a\")", u"SUB S(a, +)"});
    ExpectSyntaxError(u"関数の定義が不正です", {u"FUNCTION F(a) x", u"SUB S() ()"});
    ExpectSyntaxError(u"（）の数が合いません", {u"FUNCTION F(a", u"SUB S((a)"});
    ExpectSyntaxError(u",で終わってます", {u"FUNCTION F(a,)"});
}

TEST_F(StatementCompilerTest, ExitErrors) {
    ExpectSyntaxError(u"無効なEXIT文です", {u"EXIT DO", u"EXIT", u"EXIT FOR 1", u"EXIT NEXT", u"EXIT 1"});
}

TEST_F(StatementCompilerTest, FirstErrorOfTheTextIsReported) {
    EXPECT_EQ(ParseError(engine, u"x = 1\r\rFOR i = 1\rx ="), Err(2, 3, u"TOがありません"));
    EXPECT_EQ(ParseError(engine, u"x =\r1A"), Err(2, 1, u"代入文の右辺がありません"));
    EXPECT_EQ(ParseError(engine, u"1A\rx ="), Err(2, 1, u"構文が正しくありません"));
    // A compiler error comes before any block-structure error of the same text.
    EXPECT_EQ(ParseError(engine, u"NEXT\rIF a THEN b"), Err(2, 2, u"THENの後ろに文は記述できません"));
    // A new text starts from a clean error object.
    EXPECT_TRUE(qmtest::Parses(engine, u"x = 1"));
    EXPECT_TRUE(engine.Error().ErrorData().IsNull());
    EXPECT_EQ(U8(engine.Error().ErrorInformation()), "");
}

} // namespace
