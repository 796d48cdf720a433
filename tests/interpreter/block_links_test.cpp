// Tests of the block links an editor reads: the lines linked with one block word after a parse, and the
// lenient reading of texts that do not parse, which must leave the failed parse's error and refuse to run.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qmtest::Dump;
using qmtest::ErrorText;
using qmtest::Parses;

using Lines = std::vector<int32_t>;

class BlockLinks : public ::testing::Test {
  protected:
    // BlockLinesAt of every line 1..count.
    std::vector<Lines> AllLinks(int32_t count) {
        std::vector<Lines> out;
        for (int32_t n = 1; n <= count; ++n) out.push_back(engine.BlockLinesAt(n));
        return out;
    }

    cMoMacro_Engine engine;
};

TEST_F(BlockLinks, NestedBlocksCountingBlankLines) {
    ASSERT_TRUE(Parses(engine, u"FOR i = 1 TO 3\r\n"  // 1
                               u"  IF i = 2 THEN\r\n" // 2
                               u"\r\n"                // 3
                               u"    x = 1\r\n"       // 4
                               u"  ELSE\r\n"          // 5
                               u"    WHILE x < 3\r\n" // 6
                               u"      x = x + 1\r\n" // 7
                               u"    WEND\r\n"        // 8
                               u"  ELSE\r\n"          // 9
                               u"  END IF\r\n"        // 10
                               u"' comment\r\n"       // 11
                               u"NEXT"));             // 12
    const Lines forLoop{1, 12}, ifBlock{2, 5, 9, 10}, whileLoop{6, 8};
    EXPECT_EQ(
        AllLinks(12),
        (std::vector<Lines>{
            forLoop, ifBlock, {}, {}, ifBlock, whileLoop, {}, whileLoop, ifBlock, ifBlock, {}, forLoop}));
    EXPECT_EQ(engine.BlockLinesAt(0), Lines{});
    EXPECT_EQ(engine.BlockLinesAt(13), Lines{});
}

TEST_F(BlockLinks, FunctionsAndSubsPairWithTheirEnds) {
    ASSERT_TRUE(Parses(engine, u"PRINT 1\r\nEND\r\nFUNCTION f(a)\r\n  f = a\r\nEND FUNCTION\r\n\r\n"
                               u"SUB s()\r\n  FOR i = 1 TO 2\r\n  NEXT\r\nEND SUB"));
    EXPECT_EQ(AllLinks(10),
              (std::vector<Lines>{{}, {}, {3, 5}, {}, {3, 5}, {}, {7, 10}, {8, 9}, {8, 9}, {7, 10}}));
}

// A good text reads exactly as SetMacroText parses it: same statements, same function table, same run.
TEST_F(BlockLinks, GoodTextReadsAsTheParseDoes) {
    const std::u16string text =
        u"DIM s, i\r\ns = 0\r\nFOR i = 1 TO 4\r\n  IF i = 2 THEN\r\n    s = s + 10\r\n  ELSE\r\n"
        u"    s = s + add(i)\r\n  END IF\r\nNEXT\r\nEND\r\n"
        u"FUNCTION add(v)\r\n  add = v\r\nEND FUNCTION";
    cMoMacro_Engine parsed;
    ASSERT_TRUE(Parses(parsed, text));
    engine.ReadBlockStructure(text);
    ASSERT_EQ(engine.Error().ErrorCode(), 0);
    ASSERT_EQ(engine.LineCount(), parsed.LineCount());
    for (int32_t i = 0; i < parsed.LineCount(); ++i)
        EXPECT_EQ(Dump(engine.Line(i).Statement), Dump(parsed.Line(i).Statement)) << "line index " << i;
    ASSERT_EQ(engine.UserFunctionCount(), 1);
    EXPECT_EQ(engine.Run(), 0);
    cMoMacro_Error error;
    EXPECT_EQ(qmtest::RawNumber(engine.GlobalVariable()->GetByName(u"S", -1, error)), 18);
}

// Each case: the text, its strict parse error, and the links the lenient reading still finds.
TEST_F(BlockLinks, TextsThatDoNotParseKeepTheirErrorAndStillPair) {
    struct Case {
        std::u16string text;
        std::vector<Lines> links;
    };
    const std::vector<Case> cases = {
        // a line that does not compile takes no part
        {u"FOR i = 1 TO\r\nFOR j = 1 TO 2\r\nNEXT\r\nNEXT", {{}, {2, 3}, {2, 3}, {}}},
        // a closer with no open block of its kind is passed over
        {u"WEND\r\nWHILE 1\r\nWEND\r\nEND IF", {{}, {2, 3}, {2, 3}, {}}},
        // an IF still open inside a FOR: the NEXT closes the FOR, the IF stays unpaired
        {u"FOR i = 1 TO 2\r\n  IF i = 1 THEN\r\n  x = 1\r\nNEXT", {{1, 4}, {}, {}, {1, 4}}},
        // an IF whose FOR lacks its NEXT: ELSE and END IF still find the IF
        {u"IF a THEN\r\n  FOR i = 1 TO 2\r\nELSE\r\nEND IF", {{1, 3, 4}, {}, {1, 3, 4}, {1, 3, 4}}},
        // blocks open at a SUB are dropped; the SUB pairs with its END SUB, not with the stray NEXT
        {u"FOR i = 1 TO 2\r\nSUB s()\r\n  NEXT\r\nEND SUB\r\nFUNCTION f()\r\n  WHILE 1\r\nEND FUNCTION",
         {{}, {2, 4}, {}, {2, 4}, {5, 7}, {}, {5, 7}}},
        // an END SUB does not close a FUNCTION
        {u"FUNCTION f()\r\nEND SUB\r\nEND FUNCTION", {{1, 3}, {}, {1, 3}}},
        // a line with a character outside the code page takes no part; the lines after it keep their numbers
        {u"WHILE 1\r\n  PRINT \"\u00E9\"\r\nWEND\r\nFOR i = 1 TO 2\r\nNEXT",
         {{1, 3}, {}, {1, 3}, {4, 5}, {4, 5}}},
    };
    for (const Case& c : cases) {
        cMoMacro_Engine strict;
        strict.SetMacroText(c.text);
        ASSERT_NE(strict.Error().ErrorCode(), 0) << qmtest::U8(c.text);
        engine.ReadBlockStructure(c.text);
        EXPECT_EQ(ErrorText(engine.Error()), ErrorText(strict.Error())) << qmtest::U8(c.text);
        EXPECT_EQ(AllLinks(static_cast<int32_t>(c.links.size())), c.links) << qmtest::U8(c.text);
        EXPECT_EQ(engine.Run(), strict.Error().ErrorCode()) << qmtest::U8(c.text);
    }
}

TEST_F(BlockLinks, FailedReadKeepsTheLastGoodFunctionTable) {
    engine.ReadBlockStructure(u"SUB a()\r\nEND SUB\r\nFUNCTION b()\r\nEND FUNCTION");
    ASSERT_EQ(engine.UserFunctionCount(), 2);
    engine.ReadBlockStructure(u"SUB c()\r\nFOR i = 1 TO 2\r\nEND SUB");
    EXPECT_EQ(engine.Error().ErrorCode(), 3);
    EXPECT_EQ(engine.UserFunctionCount(), 2);
    EXPECT_EQ(qmtest::U8(engine.UserFunctionName(0)), "A");
    EXPECT_EQ(engine.RunFunction(u"A"), 3);
}

// A plain parse that fails before block matching leaves no links of the previous text behind.
TEST_F(BlockLinks, FailedParseForgetsThePreviousLinks) {
    ASSERT_TRUE(Parses(engine, u"FOR i = 1 TO 2\r\nNEXT"));
    ASSERT_EQ(engine.BlockLinesAt(1), (Lines{1, 2}));
    engine.SetMacroText(u"FOR i = 1 TO\r\nNEXT");
    ASSERT_EQ(engine.Error().ErrorCode(), 2);
    EXPECT_EQ(engine.BlockLinesAt(1), Lines{});
    EXPECT_EQ(engine.BlockLinesAt(2), Lines{});
}

} // namespace
