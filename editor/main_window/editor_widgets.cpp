// The editor, log and splitter widgets of the main window: file drops, caret events, log-line activation and
// the left-button drag of the splitter.
#include "editor_widgets.h"

#include "block_matcher.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOption>
#include <QTextBlock>
#include <QUrl>

namespace {

// The first local file of dropped data, or "" when it carries none.
QString FirstDroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

} // namespace

MacroTextEdit::MacroTextEdit(QWidget* parent) : CodeTextEdit(parent), matcher_(new BlockMatcher(this)) {
    setObjectName(QStringLiteral("txt_Macro"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptDrops(true);
}

void MacroTextEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void MacroTextEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

// A drop without a file (plain text dragged in) is inserted as the editor normally does, so nothing is lost.
void MacroTextEdit::dropEvent(QDropEvent* event) {
    const QString path = FirstDroppedFile(event->mimeData());
    if (path.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit fileDropped(path);
}

void MacroTextEdit::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    emit caretEvent();
}

void MacroTextEdit::keyPressEvent(QKeyEvent* event) {
    CodeTextEdit::keyPressEvent(event);
    emit caretEvent();
}

void MacroTextEdit::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    emit caretEvent();
}

void MacroTextEdit::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    emit caretEvent();
}

LogTextEdit::LogTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("txt_Log"));
    setReadOnly(true);
    // A caret of its own, so the log's lines can be selected and copied with the keyboard too (Shift with the
    // arrow keys, Ctrl+C), as in a read-only text box of Windows, and a screen reader can move through them.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int LogTextEdit::LineNumberOfLogLine(const QString& line) {
    static const QRegularExpression pattern(QStringLiteral("^行=(\\d{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(line);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// Ctrl+A belongs to the window's "すべて選択", which selects the macro text, even while the log has the
// focus.
bool LogTextEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        event->ignore();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void LogTextEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    const int line = LineNumberOfLogLine(cursorForPosition(event->position().toPoint()).block().text());
    if (line > 0) emit lineNumberActivated(line);
}

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pic_Sep"));
    setCursor(Qt::SplitVCursor);
}

void SplitterBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().mid().color());
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    emit dragStarted(static_cast<int>(event->position().y()));
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) emit dragMoved(static_cast<int>(event->position().y()));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    emit dragFinished();
}
