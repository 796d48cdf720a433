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
    // the text's lines (CR LF, CR and LF all end a line) follow.
    static void AddLine(std::deque<QString>& lines, const QString& text);

  private:
    QPlainTextEdit* view_;
    QStringList queued_;
};
