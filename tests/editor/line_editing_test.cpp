// Tests of the editor's pure line logic: indenting, outdenting and comment toggling of line texts, and the
// lines a selection covers.
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
