// A breakpoint is a mark in the line's block data: it stays with the line when lines are added or taken away
// above it, and goes with the line when the line is deleted. A long line held in chunks has its mark in its
// first chunk, and its chunks count as one line.
#include "breakpoint_marks.h"

#include "long_line_chunks.h"

#include <QSet>
#include <QTextDocument>

namespace {

class BreakpointMark : public QTextBlockUserData {};

} // namespace

bool HasBreakpoint(const QTextBlock& block) {
    return dynamic_cast<BreakpointMark*>(block.userData()) != nullptr;
}

void SetBreakpoint(QTextBlock block, bool on) {
    if (on == HasBreakpoint(block)) return;
    block.setUserData(on ? new BreakpointMark : nullptr); // the block owns its data
}

QList<int> BreakpointLines(const QTextDocument& document) {
    QList<int> lines;
    int line = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (LongLines::ContinuesLine(block)) continue;
        ++line;
        if (HasBreakpoint(block)) lines.append(line);
    }
    return lines;
}

void SetBreakpointLines(QTextDocument& document, const QList<int>& lines) {
    const QSet<int> wanted(lines.begin(), lines.end()); // a long text is walked once, not once per breakpoint
    int line = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        SetBreakpoint(block, !LongLines::ContinuesLine(block) && wanted.contains(++line));
}
