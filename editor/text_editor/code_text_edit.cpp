// The code editor's gutter, current-line and pair highlights, editing keys and zoom. The line edits
// themselves are the pure functions of line_editing.h; this file applies them to the document.
#include "code_text_edit.h"

#include "breakpoint_marks.h"
#include "line_editing.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QWheelEvent>

#include <algorithm>

// The strip left of the text that shows the line numbers; the editor paints it.
class LineNumberGutter : public QWidget {
  public:
    explicit LineNumberGutter(CodeTextEdit* editor) : QWidget(editor), editor_(editor) {
        setObjectName(QStringLiteral("lineNumberGutter"));
        setAccessibleName(QStringLiteral("行番号"));
    }
    QSize sizeHint() const override { return {editor_->GutterWidth(), 0}; }

  protected:
    void paintEvent(QPaintEvent* event) override { editor_->PaintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) editor_->GutterClicked(qRound(event->position().y()));
    }

  private:
    CodeTextEdit* editor_;
};

namespace {

constexpr int kGutterPadding = 4;
constexpr int kWheelStep = 120; // one notch of a common mouse wheel

const QColor kCurrentLineColour(0xFF, 0xFB, 0xDD);
const QColor kGutterColour(0xF0, 0xF0, 0xF0);
const QColor kGutterNumberColour(0x90, 0x90, 0x90);
const QColor kGutterCurrentColour(0x20, 0x20, 0x20);
const QColor kBreakpointColour(0xC8, 0x28, 0x28);
const QColor kPausedColour(0xFF, 0xC0, 0x40);
const QColor kPausedLineColour(0xFF, 0xE8, 0xA8);

bool IsEnterKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The modifiers that matter for a command, without the keypad flag.
Qt::KeyboardModifiers CommandModifiers(const QKeyEvent* event) {
    return event->modifiers() & ~Qt::KeypadModifier;
}

} // namespace

CodeTextEdit::CodeTextEdit(QWidget* parent)
    : QPlainTextEdit(parent), gutter_(new LineNumberGutter(this)), lines_(*document()) {
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CodeTextEdit::UpdateMargins);
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeTextEdit::OnUpdateRequest);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CodeTextEdit::UpdateExtraSelections);
    connect(this, &QPlainTextEdit::cursorPositionChanged, gutter_, qOverload<>(&QWidget::update));
    connect(document(), &QTextDocument::contentsChange, this, &CodeTextEdit::OnContentsChange);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::WrapAnywhere);
    UpdateMargins();
    UpdateExtraSelections();
}

void CodeTextEdit::SetTabSize(int characters) {
    tabSize_ = std::max(1, characters);
    setTabStopDistance(tabSize_ * QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
    viewport()->update();
}

QWidget* CodeTextEdit::Gutter() const {
    return gutter_;
}

// Room for the digits of the last line number (at least two) and a little space on both sides.
int CodeTextEdit::GutterWidth() const {
    const int digits = std::max(2, static_cast<int>(QString::number(LineCount()).size()));
    return 2 * kGutterPadding + digits * fontMetrics().horizontalAdvance(QLatin1Char('9'));
}

void CodeTextEdit::UpdateMargins() {
    const int bottom =
        bottomPanel_ != nullptr && !bottomPanel_->isHidden() ? bottomPanel_->sizeHint().height() : 0;
    setViewportMargins(GutterWidth(), 0, 0, bottom);
    PlaceSideWidgets();
}

// The gutter fills the margin left of the viewport, the panel the one below it.
void CodeTextEdit::PlaceSideWidgets() {
    const QRect view = viewport()->geometry();
    const int gutterWidth = GutterWidth();
    gutter_->setGeometry(view.left() - gutterWidth, view.top(), gutterWidth, view.height());
    if (bottomPanel_ != nullptr && !bottomPanel_->isHidden())
        bottomPanel_->setGeometry(view.left() - gutterWidth, view.bottom() + 1, view.width() + gutterWidth,
                                  bottomPanel_->sizeHint().height());
}

void CodeTextEdit::SetBottomPanel(QWidget* panel) {
    bottomPanel_ = panel;
    panel->setParent(this);
    panel->installEventFilter(this);
    UpdateMargins();
}

bool CodeTextEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bottomPanel_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide ||
                                    event->type() == QEvent::LayoutRequest))
        UpdateMargins();
    return QPlainTextEdit::eventFilter(watched, event);
}

void CodeTextEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    PlaceSideWidgets();
}

// A new font (the window's, or a zoom step) keeps the tab stops in characters and resizes the gutter. The
// text is drawn without the font's shaping rules where its script needs none (Latin, Japanese): in the
// editor's fixed-width font they change nothing visible, and they were half the time a key took at a very
// long line.
void CodeTextEdit::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    if (!(font().styleStrategy() & QFont::PreferNoShaping)) {
        QFont unshaped = font();
        unshaped.setStyleStrategy(QFont::StyleStrategy(unshaped.styleStrategy() | QFont::PreferNoShaping));
        setFont(unshaped); // comes back here with the strategy set
        return;
    }
    SetTabSize(tabSize_);
    UpdateMargins();
    gutter_->update();
}

void CodeTextEdit::OnUpdateRequest(const QRect& rect, int dy) {
    if (dy != 0)
        gutter_->scroll(0, dy);
    else
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
}

void CodeTextEdit::PaintGutter(QPaintEvent* event) {
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), kGutterColour);
    painter.setFont(font());
    const int current = CaretLine();
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        // The chunks after a long line's first show no number of their own.
        if (block.isVisible() && bottom >= event->rect().top() && !LongLines::ContinuesLine(block)) {
            const int line = LineOfBlock(block);
            const QRect cell(0, top, gutter_->width(), bottom - top);
            const bool paused = line == pausedLine_;
            if (HasBreakpoint(block)) painter.fillRect(cell, kBreakpointColour);
            if (paused) painter.fillRect(cell.adjusted(0, 0, -gutter_->width() / 2, 0), kPausedColour);
            painter.setPen(HasBreakpoint(block)        ? Qt::white
                           : paused || line == current ? kGutterCurrentColour
                                                       : kGutterNumberColour);
            painter.drawText(0, top, gutter_->width() - kGutterPadding, fontMetrics().height(),
                             Qt::AlignRight, QString::number(line));
        }
        block = block.next();
        top = bottom;
    }
}

void CodeTextEdit::GutterClicked(int y) {
    const QTextBlock block = cursorForPosition(QPoint(0, y)).block();
    if (block.isValid()) ToggleBreakpointAtLine(LineOfBlock(block));
}

void CodeTextEdit::ToggleBreakpointAtLine(int line) {
    const QTextBlock block = BlockOfLine(line);
    if (!block.isValid()) return;
    SetBreakpoint(block, !HasBreakpoint(block));
    gutter_->update();
    emit BreakpointsChanged();
}

QList<int> CodeTextEdit::Breakpoints() const {
    return BreakpointLines(*document());
}

void CodeTextEdit::SetBreakpoints(const QList<int>& lines) {
    SetBreakpointLines(*document(), lines);
    gutter_->update();
    emit BreakpointsChanged();
}

void CodeTextEdit::SetPausedLine(int line) {
    pausedLine_ = line;
    if (line > 0) {
        const QTextBlock block = BlockOfLine(line);
        if (block.isValid()) {
            QTextCursor at(block);
            setTextCursor(at);
            ensureCursorVisible();
        }
    }
    UpdateExtraSelections();
    gutter_->update();
}

void CodeTextEdit::SetMatchSelections(const QList<QTextEdit::ExtraSelection>& selections) {
    matchSelections_ = selections;
    UpdateExtraSelections();
}

QString CodeTextEdit::Text() const {
    if (lines_.MayHaveChunks())
        return LongLines::TextBetween(*document(), 0, document()->characterCount() - 1);
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

int CodeTextEdit::LineCount() const {
    return lines_.Count();
}

int CodeTextEdit::CaretLine() const {
    return LineOfBlock(textCursor().block());
}

int CodeTextEdit::LineOfBlock(const QTextBlock& block) const {
    return lines_.LineOf(block);
}

QTextBlock CodeTextEdit::BlockOfLine(int line) const {
    return lines_.BlockOf(line);
}

int CodeTextEdit::PositionAt(int line, int column) const {
    return LongLines::PositionInLine(BlockOfLine(line), column);
}

std::u16string CodeTextEdit::EngineText() const {
    QString text = Text();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdU16String();
}

void CodeTextEdit::UpdateExtraSelections() {
    QTextEdit::ExtraSelection line;
    line.format.setBackground(kCurrentLineColour);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = textCursor();
    line.cursor.clearSelection();
    QList<QTextEdit::ExtraSelection> selections{line};
    const QTextBlock pausedBlock = BlockOfLine(pausedLine_);
    if (pausedLine_ > 0 && pausedBlock.isValid()) {
        QTextEdit::ExtraSelection paused;
        paused.format.setBackground(kPausedLineColour);
        paused.format.setProperty(QTextFormat::FullWidthSelection, true);
        paused.cursor = QTextCursor(pausedBlock);
        selections.append(paused);
    }
    setExtraSelections(selections + matchSelections_);
}

// Wrapping starts when a changed line is longer than kLongestUnwrappedLine and ends when no line is: all
// lines are looked at only while wrapped, and only after text was taken away. A long line also keeps its
// layout between paints, which the toolkit otherwise makes anew for every paint and caret move. A change at
// a long line or a chunk of one has its lines brought into shape once the change is over: the toolkit does
// not allow the document to be changed while it reports a change.
void CodeTextEdit::OnContentsChange(int position, int removed, int added) {
    bool longLine = false;
    bool sawMark = false;
    bool reshape = false;
    int blocks = 0;
    QTextBlock block = document()->findBlock(position);
    for (; block.isValid() && block.position() <= position + added; block = block.next(), ++blocks) {
        const bool marked = LongLines::IsMarked(block);
        sawMark = sawMark || marked;
        // A chunk is marked or followed by a marked chunk: a plain line needs work only once it is long.
        reshape = reshape || marked || block.length() > kLongestUnwrappedLine;
        if (block.length() <= kLongestUnwrappedLine && !marked) continue;
        longLine = true;
        block.layout()->setCacheEnabled(true);
    }
    // The block after the change may now follow another block than before.
    if (block.isValid() && LongLines::IsMarked(block)) sawMark = reshape = true;
    lines_.Changed(blocks > 1 || document()->blockCount() != knownBlockCount_, sawMark);
    knownBlockCount_ = document()->blockCount();
    if (reshape && !reshaping_) ScheduleReshape(position, position + added);
    if (!longLine && WrapsLongLines()) longLine = removed == 0 || HasLongLine();
    if (longLine == WrapsLongLines()) return;
    setLineWrapMode(longLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool CodeTextEdit::HasLongLine() const {
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
        if (block.length() > kLongestUnwrappedLine || LongLines::ContinuesLine(block)) return true;
    return false;
}

void CodeTextEdit::ScheduleReshape(int from, int to) {
    const int last = document()->characterCount() - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, 0, last);
    if (reshapePending_) {
        if (from < reshapeFrom_.position()) reshapeFrom_.setPosition(from);
        if (to > reshapeTo_.position()) reshapeTo_.setPosition(to);
        return;
    }
    reshapeFrom_ = QTextCursor(document());
    reshapeFrom_.setPosition(from);
    reshapeTo_ = QTextCursor(document());
    reshapeTo_.setPosition(to);
    reshapePending_ = true;
    QMetaObject::invokeMethod(this, &CodeTextEdit::ReshapeLongLines, Qt::QueuedConnection);
}

// Runs after the change, at once after keys and pastes, otherwise from the event loop. The reshaping is
// part of the change's undo step; on a text just put in (nothing to undo) it is no step at all and leaves
// the text unmodified.
void CodeTextEdit::ReshapeLongLines() {
    if (!reshapePending_) return;
    reshapePending_ = false;
    const int from = reshapeFrom_.position();
    const int to = reshapeTo_.position();
    reshapeFrom_ = reshapeTo_ = QTextCursor();
    QTextDocument* const text = document();
    const bool fresh = !text->isUndoAvailable() && !text->isRedoAvailable();
    const bool modified = text->isModified();
    if (fresh) text->setUndoRedoEnabled(false);
    QTextCursor editing(text);
    reshaping_ = true;
    if (fresh)
        editing.beginEditBlock();
    else
        editing.joinPreviousEditBlock();
    const bool changed = LongLines::Reshape(editing, from, to);
    editing.endEditBlock();
    reshaping_ = false;
    if (fresh) {
        text->setUndoRedoEnabled(true);
        text->setModified(modified);
    }
    if (!changed) return;
    lines_.Changed(true, true);
    UpdateMargins();
    gutter_->update();
}

void CodeTextEdit::keyPressEvent(QKeyEvent* event) {
    if (HandleZoomKey(event)) return;
    if (!isReadOnly() && (HandleEditingKey(event) || HandleChunkBreakKey(event))) {
        event->accept();
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }
    ReshapeLongLines();
}

void CodeTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    QPlainTextEdit::inputMethodEvent(event);
    ReshapeLongLines();
}

// A selection over chunks of a long line is copied as the line's text, without breaks between them.
QMimeData* CodeTextEdit::createMimeDataFromSelection() const {
    if (!lines_.MayHaveChunks()) return QPlainTextEdit::createMimeDataFromSelection();
    auto* data = new QMimeData;
    data->setText(SelectedText());
    return data;
}

void CodeTextEdit::insertFromMimeData(const QMimeData* source) {
    QPlainTextEdit::insertFromMimeData(source);
    ReshapeLongLines();
}

// Backspace at the start of a long line's chunk, and Delete at the end of one, take away the character
// beyond the chunk's edge (or the line break there), as they do anywhere else in the line.
bool CodeTextEdit::HandleChunkBreakKey(QKeyEvent* event) {
    const bool back = event->key() == Qt::Key_Backspace;
    if ((!back && event->key() != Qt::Key_Delete) || CommandModifiers(event) != Qt::NoModifier) return false;
    QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    if (cursor.hasSelection()) return false;
    if (back ? !cursor.atBlockStart() || !LongLines::ContinuesLine(block)
             : !cursor.atBlockEnd() || !LongLines::ContinuesLine(block.next()))
        return false;
    // Chunk breaks are no characters of the line: step over them, and over one character or line break.
    const QTextCursor::MoveOperation step =
        back ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter;
    for (;;) {
        const bool atBreak = back ? cursor.atBlockStart() : cursor.atBlockEnd();
        const QTextBlock beyond = back ? cursor.block() : cursor.block().next();
        if (!cursor.movePosition(step, QTextCursor::KeepAnchor)) break;
        if (!atBreak || !LongLines::ContinuesLine(beyond)) break;
    }
    cursor.removeSelectedText();
    setTextCursor(cursor);
    return true;
}

// Tab indents only a selection over several lines; on one line it types a tab as always.
bool CodeTextEdit::HandleEditingKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = CommandModifiers(event);
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_Y) {
        redo();
        return true;
    }
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_Slash) {
        ToggleCommentOfSelectedLines();
        return true;
    }
    if ((event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Tab) && modifiers == Qt::ShiftModifier) {
        OutdentSelectedLines();
        return true;
    }
    const QTextCursor cursor = textCursor();
    if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier &&
        document()->findBlock(cursor.selectionStart()) != document()->findBlock(cursor.selectionEnd())) {
        IndentSelectedLines();
        return true;
    }
    // Shift+Enter too: a plain line break, never the line separator the text box would put in.
    if (IsEnterKey(event) && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        InsertLineKeepingIndent();
        return true;
    }
    return false;
}

bool CodeTextEdit::HandleZoomKey(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || (event->modifiers() & Qt::AltModifier)) return false;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomIn();
        return true;
    case Qt::Key_Minus:
        ZoomOut();
        return true;
    case Qt::Key_0:
        ZoomReset();
        return true;
    default:
        return false;
    }
}

void CodeTextEdit::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QPlainTextEdit::wheelEvent(event);
        return;
    }
    wheelZoomAngle_ += event->angleDelta().y();
    for (; wheelZoomAngle_ >= kWheelStep; wheelZoomAngle_ -= kWheelStep) ZoomIn();
    for (; wheelZoomAngle_ <= -kWheelStep; wheelZoomAngle_ += kWheelStep) ZoomOut();
    event->accept();
}

void CodeTextEdit::ZoomIn() {
    ZoomTo(font().pointSizeF() + 1);
}

void CodeTextEdit::ZoomOut() {
    ZoomTo(font().pointSizeF() - 1);
}

void CodeTextEdit::ZoomReset() {
    setFont(window()->font());
}

void CodeTextEdit::ZoomTo(qreal points) {
    QFont zoomed = font();
    zoomed.setPointSizeF(std::clamp(points, kMinZoomPoints, kMaxZoomPoints));
    setFont(zoomed);
}

// The new line starts a line of its own also inside a long line's chunk.
void CodeTextEdit::InsertLineKeepingIndent() {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextBlock block = cursor.block();
    const int column = LongLines::ColumnInLine(block, cursor.positionInBlock());
    const QString indent = LeadingBlanks(LongLines::LineText(block).left(column));
    cursor.insertBlock(LongLines::LineStartFormat(block));
    cursor.insertText(indent);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CodeTextEdit::IndentSelectedLines() {
    EditSelectedLines(IndentedLines);
}

void CodeTextEdit::OutdentSelectedLines() {
    const int tabSize = tabSize_;
    EditSelectedLines([tabSize](const QStringList& lines) { return OutdentedLines(lines, tabSize); });
}

void CodeTextEdit::ToggleCommentOfSelectedLines() {
    EditSelectedLines(CommentToggledLines);
}

// Applies a line edit to the covered lines in one undo step. A selection over several lines afterwards
// covers those whole lines; a caret stays where it was in its line's text.
void CodeTextEdit::EditSelectedLines(const std::function<QStringList(const QStringList&)>& edit) {
    const QTextCursor cursor = textCursor();
    const QTextBlock endBlock = document()->findBlock(cursor.selectionEnd());
    const LineSpan span =
        SelectedLineSpan(LineOfBlock(document()->findBlock(cursor.selectionStart())), LineOfBlock(endBlock),
                         LongLines::ColumnInLine(endBlock, cursor.selectionEnd() - endBlock.position()));
    QStringList lines;
    for (int n = span.first; n <= span.last; ++n) lines.append(LongLines::LineText(BlockOfLine(n)));
    const QStringList edited = edit(lines);
    if (edited == lines) return;
    QTextCursor group(document());
    group.beginEditBlock();
    for (int k = 0; k < lines.size(); ++k) ReplaceLineText(span.first + k, lines[k], edited[k]);
    group.endEditBlock();
    if (span.last == span.first) return;
    const QTextBlock last = LongLines::LineEnd(BlockOfLine(span.last));
    QTextCursor selection(BlockOfLine(span.first));
    selection.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    setTextCursor(selection);
}

// Replaces only the part of the line that changes, so carets elsewhere in the line keep their place.
void CodeTextEdit::ReplaceLineText(int line, const QString& before, const QString& after) {
    if (before == after) return;
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    QTextCursor change(document());
    change.setPosition(PositionAt(line, static_cast<int>(prefix)));
    change.setPosition(PositionAt(line, static_cast<int>(before.size() - suffix)), QTextCursor::KeepAnchor);
    change.insertText(after.mid(prefix, after.size() - prefix - suffix));
}
