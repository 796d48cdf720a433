// AutoInputFrm, the keyboard/mouse quick-input dialog: records key presses and mouse settings as KBD and MUS
// macro lines and inserts them into the editor at the caret; Ctrl+Enter applies, and closing with lines not
// yet applied asks first.
#pragma once

#include "desktop_platform.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class AutoInputFrm : public QDialog {
    Q_OBJECT

  public:
    // `editor` receives the lines on "適用"; it may be null, then the dialog only collects them.
    explicit AutoInputFrm(QPlainTextEdit* editor, QWidget* parent = nullptr);

    // Appends the lines (cased by the "大文字で入力" setting) and a line end to the text area.
    void PutTxt(const QString& lines);
    // Gives the text area the focus, so the next key press is recorded, and lets pending events run.
    void TxtSetFocus();
    // The collected lines, each ended by CR LF.
    QString InputText() const { return inputText_; }

    // The pointer pick counts down `steps` times `stepMilliseconds` (3 × 1000 unless changed).
    void SetPickCountdown(int steps, int stepMilliseconds);
    // The pointer pick reads the pointer and the primary monitor through the desktop platform, in the screen
    // pixels MUS uses (the toolkit's own positions are in scaled units on a high-density screen); without
    // one, the toolkit's, scaled back. Key presses are named by the platform's physical keys of the active
    // layout where it knows them.
    void SetDesktop(DesktopPlatform* desktop) { desktop_ = desktop; }

    // The Yes/No/Cancel question asked before closing with lines not yet applied (kButtonYes, kButtonNo or
    // kButtonCancel of message_box_style.h); a message box over the dialog unless replaced (tests script it).
    using Question = std::function<int32_t(const QString& text)>;
    void SetQuestion(Question ask) { ask_ = std::move(ask); }
    // The question's text.
    static QString UnappliedLinesQuestion();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QGroupBox* BuildKeyboardFrame();
    QGroupBox* BuildMouseFrame();
    QGroupBox* BuildCommonFrame();
    void BuildLayout();

    void InputTxt_KeyDown(const QKeyEvent& event);
    void MUSInputBtn_Click();
    void MUSPickBtn_Click();
    void PickTimer_Tick();
    void ShowPickCountdown();
    void PointerAndPrimaryMonitor(QPoint& pointer, ScreenRect& primary) const;
    void TakePointerPosition();
    void InputBtn_Click();
    void CloseBtn_Click();
    void ClearBtn_Click();
    bool MayClose();
    void ForgetControlKeyLines();

    Question ask_;
    // The text before the lines the Ctrl key itself just added: Ctrl+Enter in the text area takes them back,
    // as the key was pressed to apply, not to be recorded.
    bool lastLinesFromControlKey_ = false;
    QString textBeforeControlKey_;

    QPointer<QPlainTextEdit> editor_;
    DesktopPlatform* desktop_ = nullptr;
    QString inputText_;

    QLabel* MesLbl = nullptr;
    QButtonGroup* KBDOpt = nullptr;
    QCheckBox* KBDShiftChk = nullptr;
    QCheckBox* KBDAltChk = nullptr;
    QCheckBox* KBDCtrlChk = nullptr;
    QButtonGroup* MUSOpt = nullptr;
    QLineEdit* MUSXTxt = nullptr;
    QLineEdit* MUSYTxt = nullptr;
    QPushButton* MUSInputBtn = nullptr;
    QPushButton* MUSPickBtn = nullptr;
    QLabel* MUSPickLbl = nullptr;
    QCheckBox* MUSOrgChk = nullptr;
    QCheckBox* UcaseChk = nullptr;
    QLineEdit* WaitTimeTxt = nullptr;
    QPlainTextEdit* InputTxt = nullptr;
    QPushButton* InputBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPushButton* ClearBtn = nullptr;

    QTimer* pickTimer_ = nullptr;
    int pickSteps_ = 3;
    int pickStepsLeft_ = 0;
};
