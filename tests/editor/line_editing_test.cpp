// Tests of the editor's pure line logic: indenting, outdenting and comment toggling of line texts, the lines
// a selection covers, bracket pairing outside strings and comments, and the block word a line starts with.
#include "block_matcher.h"
#include "line_editing.h"

#include <gtest/gtest.h>

namespace {

QStringList Lines(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* text : texts) out.append(QString::fromUtf8(text));
    return out;
}

} // namespace

TEST(LineEditing, IndentAndOutdent) {
    EXPECT_EQ(IndentedLines(Lines({"a", "", "  b", " "})), Lines({"\ta", "", "\t  b", "\t "}));
    // One tab, else up to the tab size in spaces; a tab behind spaces stays for the next outdent.
    EXPECT_EQ(OutdentedLines(Lines({"\t\ta", "      b", "  c", "d", "  \te", " \t"}), 4),
              Lines({"\ta", "  b", "c", "d", "\te", "\t"}));
    EXPECT_EQ(OutdentedLines(Lines({"        x"}), 8), Lines({"x"}));
    const QStringList text = Lines({"FOR i = 1 TO 2", "\tPRINT i", "NEXT"});
    EXPECT_EQ(OutdentedLines(IndentedLines(text), 4), text);
}

TEST(LineEditing, CommentToggle) {
    // Not all commented: every non-blank line gets "'" after its indentation, even one already commented.
    EXPECT_EQ(CommentToggledLines(Lines({"a", "", "\t  b", "  'c", "   "})),
              Lines({"'a", "", "\t  'b", "  ''c", "   "}));
    // All commented (blank lines do not count): one "'" goes from each.
    EXPECT_EQ(CommentToggledLines(Lines({"'a", "", "\t''b", "  ' c"})), Lines({"a", "", "\t'b", "   c"}));
    EXPECT_EQ(CommentToggledLines(Lines({"", "  "})), Lines({"", "  "}));
    const QStringList text = Lines({"IF a THEN", "  x = \"'\"", "END IF"});
    EXPECT_EQ(CommentToggledLines(CommentToggledLines(text)), text);
}

TEST(LineEditing, SelectedLinesAndLeadingBlanks) {
    EXPECT_EQ(SelectedLineSpan(1, 3, 0).last, 2);
    EXPECT_EQ(SelectedLineSpan(1, 3, 2).last, 3);
    EXPECT_EQ(SelectedLineSpan(2, 2, 0).last, 2); // a caret at a line's start keeps its line
    EXPECT_EQ(SelectedLineSpan(2, 2, 0).first, 2);
    EXPECT_EQ(LeadingBlanks(QStringLiteral(" \t x \t")), QStringLiteral(" \t "));
    EXPECT_EQ(LeadingBlanks(QStringLiteral("x ")), QString());
}

TEST(LineEditing, BracketsOutsideStringsAndComments) {
    //                              0123456789012345678901234567
    const QString line = QStringLiteral("x = MID(\"(a\"\"(\", (1 + 2)) ' (");
    EXPECT_EQ(MatchBracketAt(line, 7).partner, 24);
    EXPECT_EQ(MatchBracketAt(line, 24).partner, 7);
    EXPECT_EQ(MatchBracketAt(line, 17).partner, 23);
    EXPECT_TRUE(MatchBracketAt(line, 17).isBracket);
    for (int inside : {9, 13, 28}) EXPECT_FALSE(MatchBracketAt(line, inside).isBracket) << inside;
    EXPECT_FALSE(MatchBracketAt(line, 0).isBracket);
    EXPECT_FALSE(MatchBracketAt(line, -1).isBracket);
    EXPECT_FALSE(MatchBracketAt(line, 99).isBracket);
    const BracketMatch lone = MatchBracketAt(QStringLiteral("a = (1 + (2)"), 4);
    EXPECT_TRUE(lone.isBracket);
    EXPECT_EQ(lone.partner, -1);
    EXPECT_EQ(MatchBracketAt(QStringLiteral("a = 1)"), 5).partner, -1);
}

TEST(LineEditing, LeadingBlockWord) {
    auto word = [](const char* text) {
        const QString line = QString::fromUtf8(text);
        const WordSpan span = LeadingBlockWord(line);
        return line.mid(span.start, span.length);
    };
    EXPECT_EQ(word("  End   If  ' done"), QStringLiteral("End   If"));
    EXPECT_EQ(word("\tFOR i = 1 TO 3"), QStringLiteral("FOR"));
    EXPECT_EQ(word("FUNCTION f(a)"), QStringLiteral("FUNCTION"));
    EXPECT_EQ(word("END"), QStringLiteral("END"));
    EXPECT_EQ(word("   "), QString());
}
