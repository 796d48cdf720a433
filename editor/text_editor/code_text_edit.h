// CodeTextEdit: the plain-text editor beneath the macro editor, with the commands people expect of a code
// editor: line-number gutter, current line, whole-line Tab/Shift+Tab, Enter keeping the indentation, Ctrl+/
// comments, Ctrl+Y redo, zoom, highlighted pairs and a panel (the find bar) under the text. Lines are not
// wrapped, except while the text holds a very long line; such a line is held in chunks (long_line_chunks.h),
// so line numbers are the editor's, not the document's block numbers.
#pragma once

#include "long_line_chunks.h"

#include <QList>
#include <QPlainTextEdit>
#include <QStringList>

#include <functional>
#include <string>

class LineNumberGutter;

class CodeTextEdit : public QPlainTextEdit {
    Q_OBJECT

  public:
    static constexpr qreal kMinZoomPoints = 4;
    static constexpr qreal kMaxZoomPoints = 72;

    // A line longer than this many characters costs the toolkit its whole length at every paint, even a
    // caret blink, while it stands on one row, and at every key typed in it: while the text holds one,
    // lines are wrapped at the window's width (anywhere, a word of such a line may be longer than the
    // window), so that only the rows in view are painted, and the line is held in chunks, so that a key
    // lays out only its own. The text itself is never changed.
    static constexpr int kLongestUnwrappedLine = LongLines::kLongestLine;

    explicit CodeTextEdit(QWidget* parent = nullptr);

    // The text as the user sees it: its lines joined with LF, every character kept.
    QString Text() const;
    // The text as the engine reads it: lines joined with CR LF, each line the engine's line of that number.
    std::u16string EngineText() const;

    // Lines as the user counts them (from 1), whatever blocks hold them.
    int LineCount() const;
    int CaretLine() const;
    int LineOfBlock(const QTextBlock& block) const;
    QTextBlock BlockOfLine(int line) const; // its first block; invalid beyond the last line
    // The position in the document of a column (from 0) of a line.
    int PositionAt(int line, int column) const;

    // The selection's text, a long line's chunks joined; the next place of `needle` after the selection
    // (before it, backward), also across a long line's chunks; a null cursor when there is none.
    QString SelectedText() const;
    QTextCursor FindText(const QString& needle, const QTextCursor& from, bool backward,
                         Qt::CaseSensitivity sensitivity) const;
    // Every place of `needle` that does not overlap the one before, first to last, as [start, end).
    std::vector<std::pair<int, int>> FindAll(const QString& needle, Qt::CaseSensitivity sensitivity) const;

    // Tab stops every `characters` space widths of the current font, kept when the font or the zoom changes;
    // also the number of spaces Shift+Tab takes away from a line indented with spaces.
    void SetTabSize(int characters);
    int TabSize() const { return tabSize_; }

    // Edits of every line the selection covers (the caret's line when nothing is selected), each one undo
    // step (line_editing.h says what they do to a line).
    void IndentSelectedLines();
    void OutdentSelectedLines();
    void ToggleCommentOfSelectedLines();

    // One point larger or smaller (within kMinZoomPoints..kMaxZoomPoints), or the window's font again.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();

    // Highlights of matching pairs, shown over the current line's highlight.
    void SetMatchSelections(const QList<QTextEdit::ExtraSelection>& selections);
    const QList<QTextEdit::ExtraSelection>& MatchSelections() const { return matchSelections_; }

    // A widget shown under the text, above the horizontal scroll bar, while it is visible; the editor takes
    // it as its child and makes room for it.
    void SetBottomPanel(QWidget* panel);

    // True while lines are wrapped because of a line longer than kLongestUnwrappedLine.
    bool WrapsLongLines() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

    QWidget* Gutter() const;
    int GutterWidth() const;

    // Breakpoints: a line's number in the gutter shows white on red. F9 (through the window's command) and a
    // click on the gutter turn the caret's (the clicked) line's breakpoint on and off.
    void ToggleBreakpointAtLine(int line);
    QList<int> Breakpoints() const;
    void SetBreakpoints(const QList<int>& lines);
    // The line a paused run stands before (1-based; 0: none): highlighted across the editor, its number
    // shown on amber, and scrolled into view.
    void SetPausedLine(int line);
    int PausedLine() const { return pausedLine_; }

  signals:
    void BreakpointsChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class LineNumberGutter;
    void PaintGutter(QPaintEvent* event);
    void GutterClicked(int y);
    void UpdateMargins();
    void PlaceSideWidgets();
    void OnUpdateRequest(const QRect& rect, int dy);
    void UpdateExtraSelections();
    void OnContentsChange(int position, int removed, int added);
    bool HasLongLine() const;
    void ScheduleReshape(int from, int to);
    void ReshapeLongLines();
    bool HandleEditingKey(QKeyEvent* event);
    bool HandleChunkBreakKey(QKeyEvent* event);
    bool HandleZoomKey(QKeyEvent* event);
    void InsertLineKeepingIndent();
    void EditSelectedLines(const std::function<QStringList(const QStringList&)>& edit);
    void ReplaceLineText(int line, const QString& before, const QString& after);
    void ZoomTo(qreal points);

    LineNumberGutter* gutter_ = nullptr;
    QWidget* bottomPanel_ = nullptr;
    QList<QTextEdit::ExtraSelection> matchSelections_;
    int tabSize_ = 4;
    int wheelZoomAngle_ = 0; // wheel turn with Ctrl held, not yet a whole zoom step
    int pausedLine_ = 0;
    LongLines::LineMap lines_;
    int knownBlockCount_ = 1;
    // The part of the text to bring into shape (long_line_chunks.h) once the change at hand is over; the
    // cursors move with later changes.
    QTextCursor reshapeFrom_;
    QTextCursor reshapeTo_;
    bool reshapePending_ = false;
    bool reshaping_ = false;
};
