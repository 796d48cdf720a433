// How the description box lays out a text: wrapped at word boundaries and shaped by the font's rules as
// usual, or, for a text that would take the box seconds or minutes that way, wrapped anywhere and drawn
// unshaped.
#pragma once

#include <QFont>
#include <QString>
#include <QTextOption>

// The longest stretch of characters between two places where a line may break, counted in characters. At
// this length a run is far wider than any box, so it is broken anywhere whichever mode the box uses.
inline constexpr qsizetype kLongestWrappedRun = 1000;

// True when some stretch of the text between two line-break opportunities (spaces, the places between
// Japanese characters, line ends) is longer than kLongestWrappedRun.
bool HasUnbreakableRun(const QString& text, qsizetype longest = kLongestWrappedRun);

// No description written to be read is longer than this many characters. A longer text is wrapped anywhere
// without looking for runs (looking costs a tenth of a second per million characters), and drawn without
// the font's shaping rules (kerning and the like), which take more than half of the time of its layout.
inline constexpr qsizetype kLongestOrdinaryText = 200000;

// The box's wrap mode for the text: word boundaries, or anywhere for a text with an unbreakable run or longer
// than kLongestOrdinaryText.
QTextOption::WrapMode DescriptionWrapMode(const QString& text);

// The font's style strategy for the text: the box's own, with shaping turned off for a text longer than
// kLongestOrdinaryText.
QFont::StyleStrategy DescriptionStyleStrategy(const QString& text, QFont::StyleStrategy own);
