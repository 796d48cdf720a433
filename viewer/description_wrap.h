// How the description box wraps a text: at word boundaries as usual, or anywhere when the text holds a run
// of characters so long that looking for a word boundary in it would take the box seconds or minutes.
#pragma once

#include <QString>
#include <QTextOption>

// The longest stretch of characters between two places where a line may break, counted in characters. At
// this length a run is far wider than any box, so it is broken anywhere whichever mode the box uses.
inline constexpr qsizetype kLongestWrappedRun = 1000;

// True when some stretch of the text between two line-break opportunities (spaces, the places between
// Japanese characters, line ends) is longer than kLongestWrappedRun.
bool HasUnbreakableRun(const QString& text, qsizetype longest = kLongestWrappedRun);

// Texts longer than this many characters are wrapped anywhere without looking for runs: looking costs a tenth
// of a second per million characters, and no description written to be read is that long.
inline constexpr qsizetype kLongestCheckedText = 200000;

// The box's wrap mode for the text: word boundaries, or anywhere for a text with an unbreakable run or longer
// than kLongestCheckedText.
QTextOption::WrapMode DescriptionWrapMode(const QString& text);
