// The debug log's line rule (at most about 100 lines, each added line dropping at most one) and the flush of
// queued PRINT lines: the lines are worked out first, then the view is laid out once and its last line
// selected.
#include "debug_log.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString WithLineFeeds(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return line;
}

// The lines of the view's text (which ends every line with a line feed).
std::deque<QString> LinesOf(const QPlainTextEdit& view) {
    std::deque<QString> lines;
    const QString text = view.toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line);
    if (!lines.empty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
}

} // namespace

QString DebugLog::AddLine(std::deque<QString>& lines, const QString& text) {
    if (static_cast<int>(lines.size()) > kLineLimit) lines.pop_front();
    QStringList shown;
    for (const QString& line : WithLineFeeds(text).split(QLatin1Char('\n'))) {
        shown.append(ShownLine(line));
        lines.push_back(shown.constLast());
    }
    return shown.join(QLatin1Char('\n'));
}

QString DebugLog::ShownLine(const QString& line) {
    if (line.size() <= kShownLineLength) return line;
    qsizetype kept = kShownLineLength;
    if (line.at(kept - 1).isHighSurrogate()) --kept;
    return line.left(kept) + QStringLiteral("…（以下 %1 文字省略）").arg(line.size() - kept);
}

void DebugLog::Append(const QString& text) {
    queued_.append(text);
    Flush();
}

bool DebugLog::Queue(const QString& text) {
    queued_.append(text);
    return queued_.size() == 1;
}

void DebugLog::Flush() {
    if (queued_.isEmpty()) return;
    std::deque<QString> lines = LinesOf(*view_);
    QString last;
    for (const QString& text : queued_) last = AddLine(lines, text);
    queued_.clear();

    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1Char('\n');
    }
    view_->setPlainText(text);
    // The last added text is selected, which scrolls it into view.
    QTextCursor cursor(view_->document());
    const int end = static_cast<int>(text.size()) - 1;
    cursor.setPosition(end - static_cast<int>(last.size()));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    view_->setTextCursor(cursor);
    view_->ensureCursorVisible();
}

void DebugLog::Clear() {
    queued_.clear();
    view_->clear();
}
