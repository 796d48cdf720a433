// The pure line edits of the macro editor: indentation, outdentation, comment toggling, the line span of a
// selection and the word at the caret.
#include "line_editing.h"

#include <algorithm>

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool IsBlankLine(const QString& line) {
    return std::all_of(line.begin(), line.end(), IsBlank);
}

bool IsCommentedOut(const QString& line) {
    const qsizetype indent = LeadingBlanks(line).size();
    return indent < line.size() && line[indent] == u'\'';
}

} // namespace

QString LeadingBlanks(const QString& line) {
    qsizetype n = 0;
    while (n < line.size() && IsBlank(line[n])) ++n;
    return line.left(n);
}

QStringList IndentedLines(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines) out.append(line.isEmpty() ? line : QLatin1Char('\t') + line);
    return out;
}

QStringList OutdentedLines(const QStringList& lines, int tabSize) {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(u'\t')) {
            out.append(line.mid(1));
            continue;
        }
        qsizetype n = 0;
        while (n < line.size() && n < tabSize && line[n] == u' ') ++n;
        out.append(line.mid(n));
    }
    return out;
}

QStringList CommentToggledLines(const QStringList& lines) {
    bool anyText = false, allCommented = true;
    for (const QString& line : lines) {
        if (IsBlankLine(line)) continue;
        anyText = true;
        allCommented = allCommented && IsCommentedOut(line);
    }
    if (!anyText) return lines;
    QStringList out;
    for (const QString& line : lines) {
        const qsizetype indent = LeadingBlanks(line).size();
        if (IsBlankLine(line))
            out.append(line);
        else if (allCommented)
            out.append(line.left(indent) + line.mid(indent + 1));
        else
            out.append(line.left(indent) + QLatin1Char('\'') + line.mid(indent));
    }
    return out;
}

LineSpan SelectedLineSpan(int startLine, int endLine, int endColumn) {
    if (endLine > startLine && endColumn == 0) --endLine;
    return {startLine, endLine};
}

QString WordAt(const QString& line, int column) {
    const auto isNamePart = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    qsizetype start = std::clamp<qsizetype>(column, 0, line.size());
    qsizetype end = start;
    while (start > 0 && isNamePart(line[start - 1])) --start;
    while (end < line.size() && isNamePart(line[end])) ++end;
    return line.mid(start, end - start);
}
