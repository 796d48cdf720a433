// Tests of the engine's limits on hostile macros: texts that would grow without bound, and lines of
// thousands of signs or comparisons, which must stay cheap to evaluate.
#include "engine_test_host.h"

#include <gtest/gtest.h>

using qm_test::TestHost;

TEST(Limits, ATextThatKeepsDoublingEndsWithAnOverflow) {
    TestHost host;
    int32_t code = host.Run(u"dim s, i\n"
                            u"s = \"x\"\n"
                            u"for i = 1 to 40\n"
                            u"  s = s + s\n"
                            u"next\n");
    EXPECT_EQ(code, 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 6);
    EXPECT_EQ(host.Line(), 4);
    EXPECT_EQ(host.GlobalText(u"i"), u"25"); // 2^24 characters is the longest text
}

TEST(Limits, ConcatenationWithSemicolonHasTheSameLimit) {
    TestHost host;
    int32_t code = host.Run(u"dim s\n"
                            u"s = \"x\"\n"
                            u"while 1\n"
                            u"  s = s ; s\n"
                            u"wend\n");
    EXPECT_EQ(code, 4);
    EXPECT_EQ(host.engine.Error().ErrorCodeSub(), 6);
}

TEST(Limits, LongChainsOfSignsAndComparisonsEvaluateInLinearTime) {
    TestHost host;
    std::u16string signs(200000, u'-');
    std::u16string compares;
    for (int i = 0; i < 50000; ++i) compares += u"1 <> ";
    ASSERT_EQ(host.Run(u"print " + signs + u"1\nprint " + compares + u"1\n"), 0);
    ASSERT_EQ(host.output.size(), 2u);
    EXPECT_EQ(host.output[0], u"1");
}

TEST(Limits, NestedCallsCannotHoldArraysWithoutBound) {
    TestHost host;
    // Each level holds 65,536 elements; a few hundred levels would need gigabytes.
    int32_t code = host.Run(u"dim r\n"
                            u"r = f(500)\n"
                            u"end\n"
                            u"function f(n)\n"
                            u"  dim a(65535)\n"
                            u"  a(65535) = n\n"
                            u"  if n > 0 then\n"
                            u"    f = f(n - 1)\n"
                            u"  end if\n"
                            u"end function\n");
    EXPECT_EQ(code, 5);
    EXPECT_EQ(host.Info(), u"配列のサイズが大きすぎます - a");
    EXPECT_EQ(host.Line(), 5);
}

TEST(Limits, ArraysOfFinishedCallsAreGivenBack) {
    TestHost host;
    int32_t code = host.Run(u"dim i, s\n"
                            u"s = 0\n"
                            u"for i = 1 to 400\n"
                            u"  s = s + f(i)\n"
                            u"next\n"
                            u"print s\n"
                            u"end\n"
                            u"function f(n)\n"
                            u"  dim a(65535)\n"
                            u"  a(n) = n\n"
                            u"  f = a(n)\n"
                            u"end function\n");
    ASSERT_EQ(code, 0) << ToUtf8(host.Info());
    EXPECT_EQ(host.output, std::vector<std::u16string>{u"80200"});
}
