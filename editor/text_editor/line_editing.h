// Line edits of the macro editor as pure functions of line texts: indenting, outdenting and commenting out
// whole lines, the indentation Enter carries to a new line, the lines a selection covers, and the word at the
// caret.
#pragma once

#include <QString>
#include <QStringList>

// The blanks (spaces and tabs) a line starts with.
QString LeadingBlanks(const QString& line);

// Every line that is not empty, with a tab in front.
QStringList IndentedLines(const QStringList& lines);

// Every line without its leading tab, or, when it starts with a space, without up to tabSize leading spaces.
QStringList OutdentedLines(const QStringList& lines, int tabSize);

// When every line that is not blank starts (after its indentation) with "'", that "'" is taken away;
// otherwise "'" is put after the indentation of every line that is not blank. Blank lines stay as they are,
// and lines that are all blank stay unchanged.
QStringList CommentToggledLines(const QStringList& lines);

// The first and last line (0-based) a selection from startLine to endLine covers; endColumn is the column of
// the selection's end in endLine. A selection over several lines that ends at the start of a line leaves
// that line out.
struct LineSpan {
    int first = 0;
    int last = 0;
};
LineSpan SelectedLineSpan(int startLine, int endLine, int endColumn);

// The name (letters, digits and "_") the caret at `column` of the line is in or just after; "" when there
// is none there.
QString WordAt(const QString& line, int column);
