// Tests of the lexer: splitting macro text into lines, the CP932 character check, splitting lines into words,
// classifying the words, numeric constants (decimal, &H, &B) and the public recognisers.
#include "engine.h"
#include "failure_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qmtest::Dump;
using qmtest::Err;
using qmtest::ErrorText;
using qmtest::ParseError;
using qmtest::Parses;
using qmtest::U8;

class LexerTest : public ::testing::Test {
  protected:
    // The typed tokens of the first line, whether or not the later stages accept the line.
    std::string Tokens(const std::u16string& text) {
        engine.SetMacroText(text);
        if (engine.LineCount() == 0) return "(no line) " + ErrorText(engine.Error());
        return Dump(engine.Line(0).Tokens, true);
    }
    // The value of the third token of "x = <constant>", with its kind.
    std::string Constant(const std::u16string& constant) {
        engine.SetMacroText(u"x = " + constant);
        if (engine.LineCount() == 0 || !engine.Line(0).Tokens || engine.Line(0).Tokens->Count() < 3)
            return "(no token) " + ErrorText(engine.Error());
        std::string shown = qmtest::Show(engine.Line(0).Tokens->Item(2));
        if (engine.Error().ErrorCode() != 0) shown += " / " + ErrorText(engine.Error());
        return shown;
    }
    std::string CharacterError(const std::u16string& text) { return ParseError(engine, text); }

    cMoMacro_Engine engine;
};

TEST_F(LexerTest, OnlyCarriageReturnEndsALine) {
    ASSERT_TRUE(Parses(engine, u"A=1\rB=2"));
    ASSERT_EQ(engine.LineCount(), 2);
    EXPECT_EQ(U8(engine.Line(1).Text), "B=2");
    EXPECT_EQ(engine.Line(1).LineNumber, 2);

    ASSERT_TRUE(Parses(engine, u"A=1\r\nB=2\r\n"));
    ASSERT_EQ(engine.LineCount(), 2);
    EXPECT_EQ(U8(engine.Line(0).Text), "A=1");

    ASSERT_TRUE(Parses(engine, u"A\nB"));
    ASSERT_EQ(engine.LineCount(), 1);
    EXPECT_EQ(U8(engine.Line(0).Text), "AB");
    EXPECT_EQ(Dump(engine.Line(0).Tokens, true), "AB:5");
}

TEST_F(LexerTest, BlankLinesGetNoRecordButAreCounted) {
    ASSERT_TRUE(Parses(engine, u"\r\r  \rA = 1  \r\r' note\rB\r"));
    ASSERT_EQ(engine.LineCount(), 3);
    EXPECT_EQ(U8(engine.Line(0).Text), "A = 1  ");
    EXPECT_EQ(engine.Line(0).LineNumber, 4);
    EXPECT_EQ(U8(engine.Line(1).Text), "' note");
    EXPECT_EQ(engine.Line(1).LineNumber, 6);
    EXPECT_EQ(Dump(engine.Line(1).Tokens), "");
    EXPECT_EQ(engine.Line(2).LineNumber, 7);

    ASSERT_TRUE(Parses(engine, u""));
    EXPECT_EQ(engine.LineCount(), 0);
    ASSERT_TRUE(Parses(engine, u"   \r\r \t "));
    EXPECT_EQ(engine.LineCount(), 0);
}

TEST_F(LexerTest, TabsAndLineFeedsAreDroppedEverywhere) {
    EXPECT_EQ(Tokens(u"\tA\t=\t1"), "A:5 =:2 1:3");
    EXPECT_EQ(U8(engine.Line(0).Text), "A=1");
    EXPECT_EQ(Tokens(u"A\tB = 1"), "AB:5 =:2 1:3");
    EXPECT_EQ(Tokens(u"s = \"a\tb\nc\""), "s:5 =:2 \"abc\":4");
}

TEST_F(LexerTest, TextClearAndReassignment) {
    ASSERT_TRUE(Parses(engine, u"A=1\rB=2"));
    EXPECT_EQ(U8(engine.MacroText()), "A=1\rB=2");
    ASSERT_TRUE(Parses(engine, u"C=3"));
    ASSERT_EQ(engine.LineCount(), 1);
    EXPECT_EQ(U8(engine.Line(0).Text), "C=3");
    engine.Clear();
    EXPECT_EQ(engine.LineCount(), 0);
    EXPECT_EQ(U8(engine.MacroText()), "");
}

TEST_F(LexerTest, ControlCharactersFailWithTheirLine) {
    EXPECT_EQ(CharacterError(u"A=1\rB=2\rC=\x01"), Err(1, 3, u"不正な文字があります。", u"&H1"));
    EXPECT_EQ(engine.LineCount(), 2); // lines before the fault stay
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"不正な文字があります"));
    EXPECT_EQ(CharacterError(u"\r\rA=\x02\rB=1"), Err(1, 3, u"不正な文字があります。", u"&H2"));
    EXPECT_EQ(engine.LineCount(), 0);
    EXPECT_EQ(CharacterError(u"A=\x7F"), Err(1, 1, u"不正な文字があります。", u"&H7F"));
    EXPECT_EQ(CharacterError(u"A=\x1B"), Err(1, 1, u"不正な文字があります。", u"&H1B"));
    EXPECT_EQ(CharacterError(u"A=\x1F"), Err(1, 1, u"不正な文字があります。", u"&H1F"));
    // The check runs before strings are recognised.
    EXPECT_EQ(CharacterError(u"s = \"x\x01y\""), Err(1, 1, u"不正な文字があります。", u"&H1"));
    EXPECT_EQ(CharacterError(u"' comment \x01"), Err(1, 1, u"不正な文字があります。", u"&H1"));
}

TEST_F(LexerTest, CharactersOutsideTheCodePageFailAsQuestionMark) {
    EXPECT_EQ(CharacterError(u"s = \"é\""), Err(1, 1, u"不正な文字があります。", u"&H3F"));
    EXPECT_EQ(CharacterError(u"s = \"가\""), Err(1, 1, u"不正な文字があります。", u"&H3F"));
    EXPECT_EQ(CharacterError(u"s = \"\u00A0\""), Err(1, 1, u"不正な文字があります。", u"&H3F"));
    EXPECT_EQ(CharacterError(u"s = \"\u0080\""), Err(1, 1, u"不正な文字があります。", u"&H3F"));
    EXPECT_EQ(CharacterError(u"s = \"😀\""), Err(1, 1, u"不正な文字があります。", u"&H3F"));
    // A character whose code page form is a single byte outside the allowed ranges is refused with that code.
    EXPECT_EQ(CharacterError(u"s = \"¥\""), Err(1, 1, u"不正な文字があります。", u"&H5C"));
}

TEST_F(LexerTest, FullWidthAndHalfWidthKatakanaPass) {
    EXPECT_EQ(Tokens(u"s = \"日本語①髙\""), "s:5 =:2 \"日本語①髙\":4");
    EXPECT_EQ(engine.Error().ErrorCode(), 0);
    EXPECT_EQ(Tokens(u"s = \"ｱｲｳﾟ｡\""), "s:5 =:2 \"ｱｲｳﾟ｡\":4");
    EXPECT_EQ(engine.Error().ErrorCode(), 0);
    EXPECT_EQ(Tokens(u"s = \"　～\""), "s:5 =:2 \"　～\":4");
    EXPECT_EQ(engine.Error().ErrorCode(), 0);
    EXPECT_TRUE(Parses(engine, u"' コメントだけ"));
}

TEST_F(LexerTest, SplitsWordsOperatorsAndComments) {
    EXPECT_EQ(Tokens(u"A=1 'set"), "A:5 =:2 1:3");
    EXPECT_EQ(Tokens(u"x   =    1   "), "x:5 =:2 1:3");
    EXPECT_EQ(Tokens(u"x<=1"), "x:5 <:2 =:2 1:3");
    EXPECT_EQ(Tokens(u"a<>b"), "a:5 <:2 >:2 b:5");
    EXPECT_EQ(Tokens(u"x=a+b-c*d/e^f\\g"), "x:5 =:2 a:5 +:2 b:5 -:2 c:5 *:2 d:5 /:2 e:5 ^:2 f:5 \\:2 g:5");
    EXPECT_EQ(Tokens(u"Foo (1,2);3"), "Foo:5 (:2 1:3 ,:2 2:3 ):2 ;:2 3:3");
    EXPECT_EQ(Tokens(u"x=1'comment \"with quote"), "x:5 =:2 1:3");
}

TEST_F(LexerTest, StringConstants) {
    EXPECT_EQ(Tokens(u"x = \"it's\""), "x:5 =:2 \"it's\":4");
    EXPECT_EQ(Tokens(u"x = \"a\"\"b\""), "x:5 =:2 \"a\"b\":4");
    EXPECT_EQ(Tokens(u"x = \"\"\"\""), "x:5 =:2 \"\"\":4");
    EXPECT_EQ(Tokens(u"x = \"\""), "x:5 =:2 \"\":4");
    EXPECT_EQ(Tokens(u"x = \"a b  c\""), "x:5 =:2 \"a b  c\":4");
    EXPECT_EQ(Tokens(u"x = \"abc"), "x:5 =:2 \"abc\":4");
    EXPECT_EQ(Tokens(u"x = \"ab\"\""), "x:5 =:2 \"ab\"\":4");
    EXPECT_EQ(Tokens(u"x = \"a\"b"), "x:5 =:2 \"a\":4 b:5");
    EXPECT_EQ(Tokens(u"x=y\"a\"+\"b\""), "x:5 =:2 y:5 \"a\":4 +:2 \"b\":4");
    EXPECT_EQ(Tokens(u"x = \"+-'()\""), "x:5 =:2 \"+-'()\":4");
}

TEST_F(LexerTest, KeywordsAndOperatorsAreUpperCasedNamesKeepTheirCase) {
    EXPECT_EQ(Tokens(u"x = a mod b Mod c MOD d"), "x:5 =:2 a:5 MOD:2 b:5 MOD:2 c:5 MOD:2 d:5");
    EXPECT_EQ(Tokens(u"x = a and not b Or c xOr d"), "x:5 =:2 a:5 AND:2 NOT:2 b:5 OR:2 c:5 XOR:2 d:5");
    EXPECT_EQ(Tokens(u"if myVar then"), "IF:1 myVar:5 THEN:1");
    EXPECT_EQ(Tokens(u"For i = 1 tO 2 sTeP 1"), "FOR:1 i:5 =:2 1:3 TO:1 2:3 STEP:1 1:3");
    EXPECT_EQ(Tokens(u"A$ = _x1"), "A$:5 =:2 _x1:5");
    EXPECT_EQ(Tokens(u"Let = Call"), "Let:5 =:2 Call:5");
}

TEST_F(LexerTest, RegisteredBuiltInNames) {
    EXPECT_FALSE(engine.IsKeyword(u"KBD"));
    engine.AddExternFunction(u"Kbd");
    engine.AddExternFunction(u"IF");
    EXPECT_TRUE(engine.IsKeyword(u"kbd"));
    EXPECT_EQ(Tokens(u"kbd 1"), "KBD:6 1:3");
    EXPECT_EQ(Tokens(u"if x then"), "IF:1 x:5 THEN:1"); // the reserved word is found first
    engine.Clear();
    EXPECT_EQ(Tokens(u"x = KbD"), "x:5 =:2 KBD:6");
}

TEST_F(LexerTest, WordsThatAreNothingAreSyntaxErrors) {
    const std::string expected = Err(2, 1, u"構文が正しくありません");
    for (const char16_t* word : {u"1A", u"$A", u"&H", u"&B", u"a.b", u"a:b", u"ｱ", u"日本", u"A　B", u"x!",
                                 u"#1", u"[1]", u"&O17", u"1E5"}) {
        EXPECT_EQ(ParseError(engine, u"x = " + std::u16string(word)), expected) << U8(word);
    }
    EXPECT_EQ(ParseError(engine, u"1A = 2"), expected);
    EXPECT_EQ(ParseError(engine, u"\r\rx = 1\rx = 1A"), Err(2, 4, u"構文が正しくありません"));
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"構文エラーです"));
}

TEST_F(LexerTest, DecimalAndHexadecimalConstants) {
    EXPECT_EQ(Constant(u"123"), "Double 123");
    EXPECT_EQ(Constant(u"007"), "Double 7");
    EXPECT_EQ(Constant(u"0.5"), "Double 0.5");
    EXPECT_EQ(Constant(u"1.2.3"), "Double 1.2");
    EXPECT_EQ(Constant(u"."), "Double 0");
    EXPECT_EQ(Constant(u"&HFF"), "Double 255");
    EXPECT_EQ(Constant(u"&hff"), "Double 255");
    EXPECT_EQ(Constant(u"&HFFFF"), "Double -1");
    EXPECT_EQ(Constant(u"&H10000"), "Double 65536");
    EXPECT_EQ(Constant(u"&HFFFFFFFF"), "Double -1");
    EXPECT_EQ(Constant(u"&H7FFFFFFF"), "Double 2147483647");
    EXPECT_EQ(Constant(u"&HG"), "Double 0");
    EXPECT_EQ(Constant(u"&H1G"), "Double 1");
    EXPECT_EQ(Constant(u"&H0000000001"), "Double 1");
}

TEST_F(LexerTest, HexadecimalConstantTooLongOverflows) {
    EXPECT_EQ(ParseError(engine, u"x = 1\r\rx = &H123456789"), Err(4, 3, FailureDescription(6), u"", 6));
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"計算ができません"));
}

TEST_F(LexerTest, BinaryConstants) {
    EXPECT_EQ(Constant(u"&B101"), "Fixed 5");
    EXPECT_EQ(Constant(u"&b1.1"), "Fixed 1.5");
    EXPECT_EQ(Constant(u"&B0.01"), "Fixed 0.25");
    EXPECT_EQ(Constant(u"&B.0001"), "Fixed 0.0625");
    EXPECT_EQ(Constant(u"&B" + std::u16string(49, u'1')), "Fixed 562949953421311");
    // A rejected character is reported and still doubles the place value.
    EXPECT_EQ(Constant(u"&B102"), "Fixed 4 / " + Err(1, 1, u"不正な文字が現れました"));
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"不正な文字があります"));
}

TEST_F(LexerTest, BinaryErrorsFinishTheLineThenStop) {
    EXPECT_EQ(Tokens(u"x = &B2 + y\ry = 1A"), "x:5 =:2 0:3 +:2 y:5");
    EXPECT_EQ(ErrorText(engine.Error()), Err(1, 1, u"不正な文字が現れました"));

    const std::string overflow = Err(4, 1, FailureDescription(6), u"", 6);
    EXPECT_EQ(ParseError(engine, u"x = &B" + std::u16string(50, u'0')), overflow);
    EXPECT_EQ(ParseError(engine, u"x = &B" + std::u16string(50, u'1')), overflow);
    EXPECT_EQ(ParseError(engine, u"x = &B1." + std::u16string(50, u'0')), overflow);
    EXPECT_EQ(ParseError(engine, u"x = &B" + std::u16string(60, u'1') + u"." + std::u16string(60, u'1')),
              overflow);
}

TEST_F(LexerTest, ValXAndValBinDirectly) {
    EXPECT_EQ(qmtest::Show(engine.ValX(u"&B11")), "Fixed 3");
    EXPECT_EQ(qmtest::Show(engine.ValX(u"12.5")), "Double 12.5");
    EXPECT_EQ(qmtest::Show(engine.ValX(u"&H8000")), "Double -32768");
    EXPECT_EQ(qmtest::Show(engine.ValBin(u"1.1")), "Fixed 1.5");
    EXPECT_EQ(qmtest::RawNumber(engine.ValBin(u"")), 0.0);
    EXPECT_EQ(engine.Error().ErrorCode(), 0);
    EXPECT_EQ(qmtest::RawNumber(engine.ValBin(u"102")), 4.0);
    EXPECT_EQ(engine.Error().ErrorCode(), 1);
    EXPECT_EQ(U8(engine.Error().ErrorInformation()), U8(u"不正な文字が現れました"));
}

TEST_F(LexerTest, Recognisers) {
    for (const char16_t* op : {u"+", u"-",   u"/", u"*",   u"(",  u")",   u"^",   u"\\", u"=",   u"<",
                               u">", u"MOD", u";", u"AND", u"OR", u"NOT", u"XOR", u",",  u"mod", u"Xor"})
        EXPECT_TRUE(cMoMacro_Engine::IsOperator(op)) << U8(op);
    for (const char16_t* no : {u"<=", u"<>", u":", u"&", u"", u"MODX", u"'", u"\""})
        EXPECT_FALSE(cMoMacro_Engine::IsOperator(no)) << U8(no);

    EXPECT_TRUE(cMoMacro_Engine::IsStringConst(u"\"\""));
    EXPECT_TRUE(cMoMacro_Engine::IsStringConst(u"\"a\""));
    EXPECT_TRUE(cMoMacro_Engine::IsStringConst(u"\"a\"b\""));
    EXPECT_FALSE(cMoMacro_Engine::IsStringConst(u"\""));
    EXPECT_FALSE(cMoMacro_Engine::IsStringConst(u"\"a"));
    EXPECT_FALSE(cMoMacro_Engine::IsStringConst(u"a\""));

    for (const char16_t* c : {u"123", u"1.2.3", u".", u"&HZZ", u"&h1", u"&b1", u"&B2"})
        EXPECT_TRUE(cMoMacro_Engine::IsConst(c)) << U8(c);
    for (const char16_t* c : {u"&H", u"&b", u"-1", u"1e5", u"1A", u"x", u"&X1"})
        EXPECT_FALSE(cMoMacro_Engine::IsConst(c)) << U8(c);

    for (const char16_t* n : {u"A$", u"_x1", u"x", u"Z9_$", u"_"})
        EXPECT_TRUE(cMoMacro_Engine::IsName(n)) << U8(n);
    for (const char16_t* n : {u"$A", u"1A", u"a.b", u"ｱ", u"日本", u"x日", u"é", u"", u"a-b", u"a b", u"Ａ"})
        EXPECT_FALSE(cMoMacro_Engine::IsName(n)) << U8(n);

    for (const char16_t* k : {u"if", u"Then", u"ELSE", u"end", u"while", u"wend", u"exit", u"for", u"to",
                              u"step", u"next", u"sub", u"function", u"dim"})
        EXPECT_TRUE(engine.IsKeyword(k)) << U8(k);
    for (const char16_t* k : {u"LET", u"CALL", u"ELSEIF", u"MOD", u"DO"})
        EXPECT_FALSE(engine.IsKeyword(k)) << U8(k);
}

} // namespace
