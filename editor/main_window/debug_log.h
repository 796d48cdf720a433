// DebugLog: what the editor's debug log shows — at most about 100 lines, one dropped per added line — and
// the batching of a run's PRINT lines, which are laid out once per turn of the event loop, not once each.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>

class QPlainTextEdit;

class DebugLog {
  public:
    // More line ends than this when a line is added: the first line goes.
    static constexpr int kLineLimit = 99;
    // The most characters shown of one line. The view lays a line out whole, and one of millions of
    // characters (a PRINT of a huge text) would hold the editor for minutes; the rest is cut with a mark.
    static constexpr int kShownLineLength = 4000;

    explicit DebugLog(QPlainTextEdit* view) : view_(view) {}

    // Adds a line at once (after any queued ones) and selects it, which scrolls it into view.
    void Append(const QString& text);
    // Queues a line; it is shown by the next Flush, in order. Returns true when the queue was empty before,
    // so the owner knows to arrange a flush.
    bool Queue(const QString& text);
    // Shows the queued lines as if each had been appended on its own, laying the log out once.
    void Flush();
    void Clear();
    bool HasQueued() const { return !queued_.empty(); }

    // The log's lines after `text` is added to `lines`: with more than kLineLimit lines the first goes, then
    // the text's lines (CR LF, CR and LF all end a line) follow, each cut to ShownLine. Returns the added
    // lines as shown, joined with line feeds.
    static QString AddLine(std::deque<QString>& lines, const QString& text);
    // The line as the log shows it: whole up to kShownLineLength characters, else its start (never half of a
    // surrogate pair) and "…（以下 N 文字省略）" for the N characters cut.
    static QString ShownLine(const QString& line);

  private:
    QPlainTextEdit* view_;
    QStringList queued_;
};
