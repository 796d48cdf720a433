// WindowInfoFrm, the window information: a small window on top of the others that follows the pointer and
// shows the window under it, the pointer's position and the colour there, and inserts ready lines.
#pragma once

#include "desktop_platform.h"
#include "stop_hotkey.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class MagnifierView;

class WindowInfoFrm : public QWidget {
    Q_OBJECT

  public:
    // Lines to insert, and the one of them the caret is to end on (-1: after them all).
    using InsertLines = std::function<void(const QStringList& lines, int caretLine)>;

    // The readings come from `desktop`; `freezeKey` (may be null) is grabbed while the window is shown and
    // freezes or thaws the readings; the buttons hand their lines to `insert`. Esc closes the window.
    WindowInfoFrm(DesktopPlatform* desktop, std::unique_ptr<StopHotkey> freezeKey, InsertLines insert,
                  QWidget* parent = nullptr);
    ~WindowInfoFrm() override;

    // The key shown in the window for freezing.
    static QString FreezeKeyText() { return QStringLiteral("Ctrl+Shift+F8"); }

    bool IsFrozen() const { return frozen_; }
    // Freezes or thaws the readings, as the key does.
    void SetFrozen(bool frozen);
    // Reads the desktop once (the timer does this ten times a second while not frozen).
    void Sample();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void BuildLayout();
    void Tick();
    void ShowWindow(const WindowDescription& window, bool found);
    void GetWinIdBtn_Click();
    void SetWinBtn_Click();
    void MusMoveBtn_Click();
    void GetColorBtn_Click();

    DesktopPlatform* desktop_;
    std::unique_ptr<StopHotkey> freezeKey_;
    InsertLines insert_;
    QTimer* timer_ = nullptr;
    bool frozen_ = false;

    WindowDescription window_;
    bool windowFound_ = false;
    int32_t pointerX_ = 0;
    int32_t pointerY_ = 0;
    int32_t colour_ = -1;

    QLabel *lbl_Class = nullptr, *lbl_Instance = nullptr, *lbl_Title = nullptr, *lbl_Handle = nullptr,
           *lbl_Frame = nullptr, *lbl_State = nullptr, *lbl_Pointer = nullptr, *lbl_Absolute = nullptr,
           *lbl_Colour = nullptr, *lbl_Frozen = nullptr;
    MagnifierView* pic_Magnifier = nullptr;
    QPushButton *btn_GetWinId = nullptr, *btn_SetWin = nullptr, *btn_MusMove = nullptr,
                *btn_GetColor = nullptr;
};
