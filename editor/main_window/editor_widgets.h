// The main window's own widgets: the macro editor that takes dropped files and reports caret events, the
// read-only debug log whose "行=N" lines can be double-clicked, and the splitter bar between them.
#pragma once

#include "code_text_edit.h"

#include <QPlainTextEdit>
#include <QWidget>

class BlockMatcher;

// txt_Macro: the code editor with the macro language's pair highlighting; a dropped file is handed to the
// window instead of being inserted as text.
class MacroTextEdit : public CodeTextEdit {
    Q_OBJECT

  public:
    explicit MacroTextEdit(QWidget* parent = nullptr);

    BlockMatcher* Matcher() const { return matcher_; }

  signals:
    void fileDropped(const QString& path);
    // Focus, key and mouse-up events: the window shows the caret line then.
    void caretEvent();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    BlockMatcher* matcher_ = nullptr;
};

// txt_Log: the debug log. Double-clicking a line "行=N" asks the window to move the editor's caret there.
class LogTextEdit : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit LogTextEdit(QWidget* parent = nullptr);

    // The line number of a log line "行=N", or 0 when the line is not such a line.
    static int LineNumberOfLogLine(const QString& line);

  signals:
    void lineNumberActivated(int line);

  protected:
    bool event(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// pic_Sep: the bar between editor and log. It reports drags in its own coordinates; the window moves it and
// lays the panes out.
class SplitterBar : public QWidget {
    Q_OBJECT

  public:
    explicit SplitterBar(QWidget* parent = nullptr);

  signals:
    void dragStarted(int y);
    void dragMoved(int y);
    void dragFinished();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool dragging_ = false;
};
