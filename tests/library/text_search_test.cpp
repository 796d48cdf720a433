// The linear text search behind INSTR: the same answer as the plain search on every text, also on the
// repetitive ones where the plain search compares again and again.
#include "library_test_support.h"
#include "text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace testing_support;

TEST(TextSearch, AgreesWithThePlainSearchOnRandomTexts) {
    std::mt19937 random(20261209);
    // Two- and three-letter alphabets make long partial matches and overlaps common.
    for (int round = 0; round < 20000; ++round) {
        const int letters = 2 + round % 2;
        auto text = [&](std::size_t length) {
            std::u16string out;
            for (std::size_t i = 0; i < length; ++i) out += static_cast<char16_t>(u'a' + random() % letters);
            return out;
        };
        const std::u16string haystack = text(random() % 60);
        const std::u16string needle =
            (round % 3 == 0 && haystack.size() > 12)
                ? haystack.substr(random() % (haystack.size() - 10), 9 + random() % 4) // one that occurs
                : text(random() % 20);
        ASSERT_EQ(FindText(haystack, needle), std::u16string_view(haystack).find(needle))
            << std::string(haystack.begin(), haystack.end()) << " / "
            << std::string(needle.begin(), needle.end());
    }
}

TEST(TextSearch, RepetitiveTextsAndTheInstrBuiltin) {
    // The plain search's worst case: almost-matches everywhere, the one match at the very end.
    const std::u16string haystack = std::u16string(200000, u'a') + u"b";
    const std::u16string needle = std::u16string(20000, u'a') + u"b";
    EXPECT_EQ(FindText(haystack, needle), 180000u);
    EXPECT_EQ(FindText(haystack.substr(0, 200000), needle), std::u16string_view::npos);
    EXPECT_EQ(FindText(u"abc", u""), 0u);
    EXPECT_EQ(FindText(u"", u"abcdefghijk"), std::u16string_view::npos);
    // INSTR counts from 1 and gives 0 when there is no match.
    EXPECT_EQ(CallBuiltin(u"INSTR", {S(haystack), S(needle)}).result.Int32Value(), 180001);
    EXPECT_EQ(CallBuiltin(u"INSTR", {S(u"xxxx" + needle), S(needle)}).result.Int32Value(), 5);
    EXPECT_EQ(CallBuiltin(u"INSTR", {S(needle), S(haystack)}).result.Int32Value(), 0);
}
