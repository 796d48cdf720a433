// Breakpoint marks: which lines of an editor's document carry a breakpoint, kept on the lines themselves so
// that they move with the lines as text is typed above them.
#pragma once

#include <QList>
#include <QTextBlock>

class QTextDocument;

bool HasBreakpoint(const QTextBlock& block);
void SetBreakpoint(QTextBlock block, bool on);
// The lines (1-based, ascending) that carry a breakpoint.
QList<int> BreakpointLines(const QTextDocument& document);
// Exactly these lines (1-based) carry a breakpoint; lines beyond the text are left out.
void SetBreakpointLines(QTextDocument& document, const QList<int>& lines);
