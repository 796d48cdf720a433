// Tests of the program structure pass: block links between opening and closing statements, block-structure
// errors with the line they report, and the user function table with each line's enclosing function.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qmtest::Dump;
using qmtest::Err;
using qmtest::ErrorText;
using qmtest::ParseError;
using qmtest::Parses;
using qmtest::U8;

class ProgramStructureTest : public ::testing::Test {
  protected:
    // The compiled statement of every line, one per entry.
    std::vector<std::string> Statements() {
        std::vector<std::string> out;
        for (int32_t i = 0; i < engine.LineCount(); ++i) out.push_back(Dump(engine.Line(i).Statement));
        return out;
    }
    std::vector<int32_t> FunctionIndexes() {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < engine.LineCount(); ++i) out.push_back(engine.Line(i).FunctionIndex);
        return out;
    }
    // "NAME kind position" per user function.
    std::vector<std::string> Functions() {
        std::vector<std::string> out;
        for (int32_t i = 0; i < engine.UserFunctionCount(); ++i)
            out.push_back(U8(engine.UserFunctionName(i)) + " " + std::to_string(engine.UserFunctionType(i)) +
                          " " + std::to_string(engine.UserFunctionPosition(i)));
        return out;
    }

    cMoMacro_Engine engine;
};

TEST_F(ProgramStructureTest, NestedBlocksLinkInnermostFirst) {
    ASSERT_TRUE(Parses(engine, u"FOR i = 1 TO 3\r"
                               u"  IF i = 2 THEN\r"
                               u"    x = 1\r"
                               u"  ELSE\r"
                               u"    WHILE x < 3\r"
                               u"      FOR j = 1 TO 2\r"
                               u"      NEXT\r"
                               u"    WEND\r"
                               u"  END IF\r"
                               u"NEXT"));
    EXPECT_EQ(Statements(),
              (std::vector<std::string>{"FOR [i] [1] [3] [1] 9", "IF [i = 2] 3 8", "LET [x] [1]", "ELSE 1",
                                        "WHILE [x < 3] 7", "FOR [j] [1] [2] [1] 6", "NEXT 5", "WEND 4",
                                        "END IF 1", "NEXT 0"}));
}

TEST_F(ProgramStructureTest, LinksAreLineIndexesNotLineNumbers) {
    ASSERT_TRUE(Parses(engine, u"\r\rWHILE a\r\r' wait\r\rWEND\r"));
    EXPECT_EQ(Statements(), (std::vector<std::string>{"WHILE [a] 2", "", "WEND 0"}));
    EXPECT_EQ(engine.Line(2).LineNumber, 7);
}

TEST_F(ProgramStructureTest, EveryElseIsLinkedToItsIf) {
    ASSERT_TRUE(Parses(engine, u"IF a THEN\rELSE\rx = 1\rELSE\rEND IF"));
    EXPECT_EQ(Statements(),
              (std::vector<std::string>{"IF [a] 1 3 4", "ELSE 0", "LET [x] [1]", "ELSE 0", "END IF 0"}));
}

TEST_F(ProgramStructureTest, ExitEndAndDimCarryNoLinks) {
    ASSERT_TRUE(Parses(engine, u"FOR i = 1 TO 2\rEXIT FOR\rDIM a\rEND\rNEXT\rWHILE 1\rEXIT WHILE\rWEND"));
    EXPECT_EQ(Statements(), (std::vector<std::string>{"FOR [i] [1] [2] [1] 4", "EXIT FOR", "DIM [a]", "END",
                                                      "NEXT 0", "WHILE [1] 7", "EXIT WHILE", "WEND 5"}));
}

TEST_F(ProgramStructureTest, FunctionTableAndEnclosingFunctions) {
    ASSERT_TRUE(Parses(engine, u"x = 1\r"
                               u"END\r"
                               u"\r"
                               u"Function fooBar(a, b)\r"
                               u"  ' body\r"
                               u"  fooBar = a + b\r"
                               u"End Function\r"
                               u"y = 2\r"
                               u"SUB s()\r"
                               u"END SUB"));
    EXPECT_EQ(Functions(), (std::vector<std::string>{"FOOBAR 1 4", "S 0 9"}));
    EXPECT_EQ(FunctionIndexes(), (std::vector<int32_t>{-1, -1, 0, 0, 0, -1, -1, 1, -1}));
    EXPECT_EQ(Statements()[2], "FUNCTION fooBar [[a] [b]] 5");
    EXPECT_EQ(Statements()[5], "END FUNCTION 2");
    EXPECT_EQ(Statements()[7], "SUB s [] 8");
    EXPECT_EQ(Statements()[8], "END SUB 7");
}

TEST_F(ProgramStructureTest, DefinitionsInTextOrderWithoutDuplicateCheck) {
    ASSERT_TRUE(Parses(engine, u"\rSUB A()\rEND SUB\r\r\rSUB B()\rEND SUB\rFUNCTION C(x)\rEND FUNCTION\r"
                               u"sub a()\rend sub"));
    EXPECT_EQ(Functions(), (std::vector<std::string>{"A 0 2", "B 0 6", "C 1 8", "A 0 10"}));
}

TEST_F(ProgramStructureTest, FunctionTableIsReplacedOnlyBySuccessfulParses) {
    ASSERT_TRUE(Parses(engine, u"SUB A()\rEND SUB"));
    EXPECT_EQ(ParseError(engine, u"SUB B()\rx = 1"), Err(3, 2, u"SUB に対応する END SUB がありません"));
    EXPECT_EQ(Functions(), (std::vector<std::string>{"A 0 1"}));
    EXPECT_EQ(ParseError(engine, u"x ="), Err(2, 1, u"代入文の右辺がありません"));
    EXPECT_EQ(Functions(), (std::vector<std::string>{"A 0 1"}));
    engine.Clear();
    EXPECT_EQ(engine.UserFunctionCount(), 1);
    ASSERT_TRUE(Parses(engine, u"x = 1"));
    EXPECT_EQ(engine.UserFunctionCount(), 0);
}

TEST_F(ProgramStructureTest, ClosersWithoutTheirOpener) {
    EXPECT_EQ(ParseError(engine, u"IF a THEN\rNEXT"), Err(3, 2, u"NEXTに対応するFORがありません"));
    EXPECT_EQ(ParseError(engine, u"WEND"), Err(3, 1, u"WENDに対応するWHILEがありません"));
    EXPECT_EQ(ParseError(engine, u"x = 1\rELSE"), Err(3, 2, u"ELSEに対応するIFがありません"));
    EXPECT_EQ(ParseError(engine, u"FOR i = 1 TO 2\rEND IF"), Err(3, 2, u"END IFに対応するIFがありません"));
    EXPECT_EQ(ParseError(engine, u"END FUNCTION"), Err(3, 1, u"END FUNCTIONに対応するFUNCTIONがありません"));
    EXPECT_EQ(ParseError(engine, u"FUNCTION F()\rEND SUB"), Err(3, 2, u"END SUBに対応するSUBがありません"));
    EXPECT_EQ(ParseError(engine, u"\rIF a THEN\r\rNEXT\rEND IF"),
              Err(3, 4, u"NEXTに対応するFORがありません"));
    EXPECT_EQ(U8(engine.Error().ErrorMsg()), U8(u"構文エラーです"));
    // The final open-block check never overwrites a mismatch, even with other blocks still open.
    EXPECT_EQ(ParseError(engine, u"FOR i = 1 TO 2\rWHILE 1\rIF a THEN\rWEND"),
              Err(3, 4, u"WENDに対応するWHILEがありません"));
    EXPECT_EQ(ParseError(engine, u"IF a THEN\rELSE\rWEND\rEND IF"),
              Err(3, 3, u"WENDに対応するWHILEがありません"));
}

TEST_F(ProgramStructureTest, BlocksLeftOpenAtTheEnd) {
    EXPECT_EQ(ParseError(engine, u"IF a THEN\rx = 1\r\r"), Err(3, 2, u"IF に対応する END IF がありません"));
    EXPECT_EQ(ParseError(engine, u"IF a THEN\rELSE"), Err(3, 2, u"IF に対応する END IF がありません"));
    EXPECT_EQ(ParseError(engine, u"FOR i = 1 TO 2"), Err(3, 1, u"FOR に対応する NEXT がありません"));
    EXPECT_EQ(ParseError(engine, u"WHILE 1\rx = 1"), Err(3, 2, u"WHILE に対応する WEND がありません"));
    EXPECT_EQ(ParseError(engine, u"SUB S()"), Err(3, 1, u"SUB に対応する END SUB がありません"));
    EXPECT_EQ(ParseError(engine, u"FUNCTION F()\rx = 1"),
              Err(3, 2, u"FUNCTION に対応する END FUNCTION がありません"));
    // Only the innermost open block is reported.
    EXPECT_EQ(ParseError(engine, u"WHILE 1\rIF a THEN\rx = 1"),
              Err(3, 3, u"IF に対応する END IF がありません"));
    EXPECT_EQ(ParseError(engine, u"IF a THEN\rWHILE 1\rWEND\rFOR i = 1 TO 2"),
              Err(3, 4, u"FOR に対応する NEXT がありません"));
}

TEST_F(ProgramStructureTest, DefinitionsInsideOpenBlocks) {
    EXPECT_EQ(ParseError(engine, u"FOR i = 1 TO 2\rFUNCTION F()\rEND FUNCTION\rNEXT"),
              Err(3, 2, u"FOR に対応する NEXT がありません"));
    EXPECT_EQ(ParseError(engine, u"x = 1\rFUNCTION F()\r\rFUNCTION G()\rEND FUNCTION\rEND FUNCTION"),
              Err(3, 4, u"FUNCTION に対応する END FUNCTION がありません"));
    EXPECT_EQ(ParseError(engine, u"SUB S()\rIF a THEN\rSUB T()\rEND SUB"),
              Err(3, 3, u"IF に対応する END IF がありません"));
    EXPECT_EQ(ParseError(engine, u"SUB S()\rWHILE 1\rEND SUB"),
              Err(3, 3, u"END SUBに対応するSUBがありません"));
}

TEST_F(ProgramStructureTest, ExitOutsideBlocksPassesTheMatcher) {
    ASSERT_TRUE(Parses(engine, u"EXIT FOR\rEXIT SUB\rEND"));
    EXPECT_EQ(Statements(), (std::vector<std::string>{"EXIT FOR", "EXIT SUB", "END"}));
}

TEST_F(ProgramStructureTest, ManyLinesParse) {
    std::u16string text;
    for (int i = 0; i < 2000; ++i) text += u"FOR i = 1 TO 2\rIF i THEN\rx = x + 1\rEND IF\rNEXT\r";
    text += u"SUB Tail()\rEND SUB\r";
    ASSERT_TRUE(Parses(engine, text));
    ASSERT_EQ(engine.LineCount(), 10002);
    EXPECT_EQ(Dump(engine.Line(9995).Statement), "FOR [i] [1] [2] [1] 9999");
    EXPECT_EQ(Dump(engine.Line(9996).Statement), "IF [i] 9998");
    EXPECT_EQ(Functions(), (std::vector<std::string>{"TAIL 0 10001"}));
    EXPECT_EQ(engine.Line(10001).FunctionIndex, -1);
    EXPECT_EQ(engine.Line(10000).FunctionIndex, 0);
}

} // namespace
