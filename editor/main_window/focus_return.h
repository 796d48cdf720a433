// FocusReturn: gives the editor window the desktop's activation back, and its text the keyboard focus, when
// a dialog or window of the program closes and when a run ends.
#pragma once

#include <QObject>

class QWidget;

// Watches every top-level widget of the application. When one other than the editor window hides (a file
// dialog, a question, an input box, the quick-input dialog, an aid, a box of a run), the editor window asks
// the window manager to activate it once the closing has settled, and its text takes the focus. Qt moves
// only its own idea of the focus when a dialog closes; the window manager chooses the next active window by
// its own rules, which can pick another program's window (after a question that closed just before its
// file dialog, openbox did).
class FocusReturn : public QObject {
    Q_OBJECT

  public:
    // `window` is the editor's main window, `text` the widget in it that takes the keyboard focus.
    FocusReturn(QWidget* window, QWidget* text);
    ~FocusReturn() override;

    // Activates the window and focuses the text now, unless the window is hidden or minimised or a modal
    // dialog of the program is still open (its own closing comes back here). A disabled text (during a run)
    // is left without the focus; the window is still activated.
    void ReturnNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool IsClosingWindow(QObject* watched, QEvent* event) const;

    QWidget* window_;
    QWidget* text_;
    bool queued_ = false;
};
