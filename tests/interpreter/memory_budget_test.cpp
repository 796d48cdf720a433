// Tests of the text memory budget: texts and parsed lines past it end the run or parse with the out-of-memory
// failure at their line, a failed allocation does the same, and every byte counted is given back.
#include "engine_test_host.h"
#include "memory_budget.h"

#include <gtest/gtest.h>

#include <new>

using qm_test::Crlf;
using qm_test::TestHost;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// A text of 2^20 characters, then distinct copies of it kept in an array until the budget runs out.
constexpr std::u16string_view kArrayOfLargeTexts = u"dim s, i, a(1000)\n"
                                                   u"s = \"x\"\n"
                                                   u"for i = 1 to 20\n"
                                                   u"  s = s + s\n"
                                                   u"next\n"
                                                   u"for i = 0 to 1000\n"
                                                   u"  a(i) = s ; i\n"
                                                   u"next\n";

void ExpectOutOfMemory(const TestHost& host, int32_t line) {
    EXPECT_EQ(host.Code(), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 7);
    EXPECT_EQ(host.Info(), u"メモリが不足しています。");
    EXPECT_EQ(host.Line(), line);
}

} // namespace

TEST(MemoryBudget, TextsKeptPastTheBudgetEndTheRunAtTheirLine) {
    TextMemory::ScopedBudget budget(64 * kMiB);
    TestHost host;
    host.Run(kArrayOfLargeTexts);
    ExpectOutOfMemory(host, 7);
    // 2 MiB a copy: about 30 fit beside the text they are made from, never the 1,001 asked for.
    const int32_t kept = std::stoi(ToUtf8(host.GlobalText(u"i")));
    EXPECT_GT(kept, 20);
    EXPECT_LT(kept, 32);
    EXPECT_LE(TextMemory::Used(), TextMemory::Budget());
}

TEST(MemoryBudget, AppendingInPlaceStopsAtTheBudgetBeforeTheLengthLimit) {
    TextMemory::ScopedBudget budget(8 * kMiB);
    TestHost host;
    host.Run(u"dim s, i\n"
             u"s = \"x\"\n"
             u"for i = 1 to 40\n"
             u"  s = s + s\n"
             u"next\n");
    ExpectOutOfMemory(host, 4);
    EXPECT_EQ(host.GlobalText(u"i"), u"22"); // 2^22 characters (8 MiB) is the first that does not fit
}

TEST(MemoryBudget, SharedTextsCostNothingMore) {
    TextMemory::ScopedBudget budget(16 * kMiB);
    TestHost host;
    ASSERT_EQ(host.Run(u"dim s, i, a(1000)\n"
                       u"s = \"x\"\n"
                       u"for i = 1 to 20\n"
                       u"  s = s + s\n"
                       u"next\n"
                       u"for i = 0 to 1000\n"
                       u"  a(i) = s\n"
                       u"next\n"),
              0)
        << ToUtf8(host.Info());
}

TEST(MemoryBudget, AProgramTooLargeForTheBudgetIsRefusedWhileParsed) {
    TextMemory::ScopedBudget budget(4 * kMiB);
    TestHost host;
    std::u16string text;
    for (int i = 0; i < 100000; ++i) text += u"print \"abcdefghijklmnopqrstuvwxyz\", 12345\n";
    host.engine.SetMacroText(Crlf(text));
    EXPECT_EQ(host.Code(), 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 7);
    EXPECT_GT(host.Line(), 1000);
    EXPECT_LT(host.Line(), 100000);
    EXPECT_NE(host.engine.Run(), 0); // a refused program never runs
    // The same engine takes a program that fits afterwards.
    EXPECT_EQ(host.Run(u"print 1\n"), 0);
    EXPECT_EQ(host.output.back(), u"1");
}

TEST(MemoryBudget, EveryCountedByteIsGivenBack) {
    const size_t before = TextMemory::Used();
    {
        TestHost host;
        ASSERT_EQ(host.Run(u"dim s, t, i, a(100)\n"
                           u"s = \"ab\"\n"
                           u"for i = 0 to 100\n"
                           u"  s = s + \"cd\"\n"
                           u"  t = s\n"
                           u"  t = t ; i\n"
                           u"  a(i) = t + s\n"
                           u"next\n"
                           u"print a(100)\n"),
                  0)
            << ToUtf8(host.Info());
        EXPECT_GT(TextMemory::Used(), before);
        host.engine.SetMacroText(u"print 2");
        (void)host.engine.ComputeLine(u"\"x\" + \"y\"");
        host.engine.ReadBlockStructure(u"if 1 then\r\nprint \"a\"\r\nwend"); // read leniently
    }
    EXPECT_EQ(TextMemory::Used(), before);
}

TEST(MemoryBudget, AFailedAllocationEndsTheRunWithItsLineAndTheEngineRunsAgain) {
    TestHost host;
    host.engine.AddExternFunction(u"GROW");
    host.functions[u"GROW"] = [](const std::vector<MacroValue>&, cMoMacro_Error&) -> MacroValue {
        throw std::bad_alloc();
    };
    host.Run(u"dim s\n"
             u"s = \"text\"\n"
             u"grow s\n"
             u"print s\n");
    ExpectOutOfMemory(host, 3);
    EXPECT_TRUE(host.output.empty());
    EXPECT_EQ(host.Run(u"print 3\n"), 0);
    EXPECT_EQ(host.output.back(), u"3");
}

namespace {

// "print 1+1+…+1" with `terms` ones.
std::u16string LongSum(int terms) {
    std::u16string line = u"print 1";
    line.reserve(static_cast<size_t>(terms) * 2 + 8);
    for (int i = 1; i < terms; ++i) line += u"+1";
    return line;
}

} // namespace

// One line of a great many operators: its tokens, and the prepared forms of its expression, count against
// the budget before they are made (a 58 MB line took 4.8 GB under a budget of 1 GiB), and the failure names
// the line itself. A long text on a line is one token and costs nothing more than its characters.
TEST(MemoryBudget, ALineOfManyOperatorsIsRefusedAtItsLineBeforeItsPartsAreMade) {
    {
        TextMemory::ScopedBudget budget(4 * kMiB);
        TestHost host;
        host.engine.SetMacroText(Crlf(u"print 1\n" + LongSum(50000) + u"\n"));
        ExpectOutOfMemory(host, 2);
    }
    {
        // Its tokens fit, the prepared expression does not: the run ends at the line.
        TextMemory::ScopedBudget budget(16 * kMiB);
        TestHost host;
        host.Run(u"print 1\n" + LongSum(40000) + u"\n");
        ExpectOutOfMemory(host, 2);
        EXPECT_EQ(host.output, std::vector<std::u16string>{u"1"});
    }
    {
        TextMemory::ScopedBudget budget(64 * kMiB);
        TestHost host;
        ASSERT_EQ(host.Run(LongSum(40000) + u"\nprint \"" + std::u16string(1 << 20, u'+') + u"\"\n"), 0)
            << ToUtf8(host.Info());
        EXPECT_EQ(host.output.front(), u"40000");
    }
}
