// Tests of the quick-input dialog AutoInputFrm on Qt's offscreen platform: controls, lines recorded from key
// events (with and without native key numbers), mouse lines, the pointer pick, "適用" into a real editor.
#include "auto_input_frm.h"
#include "message_box_style.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

const QString kCrLf = QStringLiteral("\r\n");

template <typename T> T* Control(QWidget& dialog, const char* name) {
    T* control = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

// One key pressed and released in the widget, with the native numbers an X server would give.
void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, quint32 keycode, quint32 keysym,
              bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, keycode, keysym, 0, QString(), autoRepeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, keycode, keysym, 0, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
}

// A click where a user clicks: option and check boxes answer only on their box and caption, which may be
// narrower than the widget in its layout, so those are clicked on the box.
void ClickButton(QAbstractButton* button) {
    if (button->inherits("QRadioButton") || button->inherits("QCheckBox")) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

class AutoInputFrmTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void ControlsAtStart();
    void KeyWrappedInCheckedModifiersCtrlOutermost();
    void AllThreeModifiersInOrder();
    void LowerCase();
    void KeyActionsAndWaitAsTyped();
    void KeyNamesFromNativeEvents_data();
    void KeyNamesFromNativeEvents();
    void KeyNamesFromPlainQtEvents();
    void KeysStayInTheTextArea();
    void NamelessAndRepeatedKeysAddNothing();
    void MouseLines();
    void ClearEmptiesTheTextArea();
    void ApplyReplacesTheSelectionAndCanBeUndone();
    void ApplyWithoutAbsoluteCoordinates();
    void ApplyNothingWithAbsoluteCoordinates();
    void ApplyNothingLeavesTheSelection();
    void CloseLeavesTheEditor();
    void ModalExec();
    void ApplyWithoutEditor();
    void PointerPickAfterCountdown();
    void PointerPickInAbsoluteSpace();

  private:
    void ShowDialog();
    QString AreaText() const { return Control<QPlainTextEdit>(*dialog_, "InputTxt")->toPlainText(); }
    void Click(const char* name) { ClickButton(Control<QAbstractButton>(*dialog_, name)); }
    QWidget* Area() const { return Control<QPlainTextEdit>(*dialog_, "InputTxt"); }

    std::unique_ptr<QPlainTextEdit> editor_;
    std::unique_ptr<AutoInputFrm> dialog_;
};

void AutoInputFrmTest::init() {
    editor_ = std::make_unique<QPlainTextEdit>();
    dialog_ = std::make_unique<AutoInputFrm>(editor_.get());
}

void AutoInputFrmTest::cleanup() {
    dialog_.reset();
    editor_.reset();
}

void AutoInputFrmTest::ShowDialog() {
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
}

void AutoInputFrmTest::ControlsAtStart() {
    AutoInputFrm& d = *dialog_;
    QCOMPARE(d.windowTitle(), QStringLiteral("MUS/KBD高速入力(現在調整中...)"));
    QCOMPARE(Control<QLabel>(d, "MesLbl")->text(),
             QStringLiteral("このダイアログから、高速にキーボード・マウスの入力マクロを高速に作成できます\n"
                            "DOWNはボタンを押したまま、UPはボタンを離す、PRESSはクリックを表します\n\n"
                            "マウスは入力ボタン、キーボードはテキストエリアでのキーの落下で入力できます。"));
    QCOMPARE(Control<QGroupBox>(d, "KBDFrame")->title(), QStringLiteral("キーボード(KBD)"));
    QCOMPARE(Control<QGroupBox>(d, "MUSFrame")->title(), QStringLiteral("マウス(MUS)"));
    QCOMPARE(Control<QGroupBox>(d, "CommonFrame")->title(), QStringLiteral("共通"));

    const QStringList keyCaptions{"DOWN", "UP", "PRESS"};
    for (int i = 0; i < 3; ++i) {
        auto* option = Control<QRadioButton>(d, qPrintable(QStringLiteral("KBDOpt%1").arg(i)));
        QCOMPARE(option->text(), keyCaptions[i]);
        QCOMPARE(option->isChecked(), i == 2);
    }
    const QStringList mouseCaptions{"DOWN", "UP", "PRESS", "DOWN", "UP", "PRESS", "MOVE"};
    for (int i = 0; i < 7; ++i) {
        auto* option = Control<QRadioButton>(d, qPrintable(QStringLiteral("MUSOpt%1").arg(i)));
        QCOMPARE(option->text(), mouseCaptions[i]);
        QCOMPARE(option->isChecked(), i == 2);
    }
    const std::pair<const char*, const char*> checks[] = {
        {"KBDShiftChk", "Shift"}, {"KBDAltChk", "Alt"}, {"KBDCtrlChk", "Ctrl"}};
    for (const auto& [name, caption] : checks) {
        QCOMPARE(Control<QCheckBox>(d, name)->text(), QString::fromLatin1(caption));
        QVERIFY(!Control<QCheckBox>(d, name)->isChecked());
    }
    QCOMPARE(Control<QCheckBox>(d, "MUSOrgChk")->text(), QStringLiteral("絶対座標で入力"));
    QVERIFY(Control<QCheckBox>(d, "MUSOrgChk")->isChecked());
    QCOMPARE(Control<QCheckBox>(d, "UcaseChk")->text(), QStringLiteral("大文字で入力"));
    QVERIFY(Control<QCheckBox>(d, "UcaseChk")->isChecked());
    for (const char* field : {"MUSXTxt", "MUSYTxt", "WaitTimeTxt"}) {
        QCOMPARE(Control<QLineEdit>(d, field)->text(), QStringLiteral("0"));
    }
    auto* area = Control<QPlainTextEdit>(d, "InputTxt");
    QVERIFY(area->isReadOnly());
    QVERIFY(area->toPlainText().isEmpty());
    QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(Control<QPushButton>(d, "MUSInputBtn")->text(), QStringLiteral("入力"));
    QCOMPARE(Control<QPushButton>(d, "InputBtn")->text(), QStringLiteral("適用"));
    QCOMPARE(Control<QPushButton>(d, "CloseBtn")->text(), QStringLiteral("閉じる"));
    QCOMPARE(Control<QPushButton>(d, "ClearBtn")->text(), QStringLiteral("クリア"));
    QStringList labels;
    for (const QLabel* label : d.findChildren<QLabel*>()) labels << label->text();
    for (const char* text :
         {"LEFT", "RIGHT", "X座標", "Y座標", "実行前の待ち時間", "[ms]", "テキストエリア"}) {
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    }
    QVERIFY(d.InputText().isEmpty());
}

void AutoInputFrmTest::KeyWrappedInCheckedModifiersCtrlOutermost() {
    ShowDialog();
    Click("KBDShiftChk");
    Click("KBDCtrlChk");
    // Each click hands the focus back to the text area, so the next key lands there.
    QCOMPARE(QApplication::focusWidget(), Area());
    PressKey(Area(), Qt::Key_A, Qt::NoModifier, 38, 0x61);
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("KBD VK_CONTROL,DOWN\r\nKBD VK_SHIFT,DOWN\r\nKBD VK_A,PRESS,0\r\n"
                            "KBD VK_SHIFT,UP\r\nKBD VK_CONTROL,UP\r\n"));
    QCOMPARE(AreaText(), QStringLiteral("KBD VK_CONTROL,DOWN\nKBD VK_SHIFT,DOWN\nKBD VK_A,PRESS,0\n"
                                        "KBD VK_SHIFT,UP\nKBD VK_CONTROL,UP\n"));
}

void AutoInputFrmTest::AllThreeModifiersInOrder() {
    ShowDialog();
    Click("KBDAltChk");
    Click("KBDCtrlChk");
    Click("KBDShiftChk");
    Click("KBDOpt0");
    PressKey(Area(), Qt::Key_Delete, Qt::NoModifier, 119, 0xffff);
    QCOMPARE(dialog_->InputText(),
             QStringLiteral(
                 "KBD VK_CONTROL,DOWN\r\nKBD VK_ALT,DOWN\r\nKBD VK_SHIFT,DOWN\r\nKBD VK_DELETE,DOWN,0\r\n"
                 "KBD VK_SHIFT,UP\r\nKBD VK_ALT,UP\r\nKBD VK_CONTROL,UP\r\n"));
}

void AutoInputFrmTest::LowerCase() {
    ShowDialog();
    Click("UcaseChk");
    QCOMPARE(QApplication::focusWidget(), Area());
    PressKey(Area(), Qt::Key_A, Qt::NoModifier, 38, 0x61);
    Click("KBDShiftChk");
    PressKey(Area(), Qt::Key_F1, Qt::NoModifier, 67, 0xffbe);
    QCOMPARE(
        dialog_->InputText(),
        QStringLiteral("kbd vk_a,press,0\r\nkbd vk_shift,down\r\nkbd vk_f1,press,0\r\nkbd vk_shift,up\r\n"));
}

void AutoInputFrmTest::KeyActionsAndWaitAsTyped() {
    ShowDialog();
    Control<QLineEdit>(*dialog_, "WaitTimeTxt")->setText(QStringLiteral("250"));
    Click("KBDOpt0");
    PressKey(Area(), Qt::Key_Return, Qt::NoModifier, 36, 0xff0d);
    Click("KBDOpt1");
    PressKey(Area(), Qt::Key_Return, Qt::NoModifier, 36, 0xff0d);
    Click("KBDOpt2");
    PressKey(Area(), Qt::Key_Space, Qt::NoModifier, 65, 0x20);
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("KBD VK_RETURN,DOWN,250\r\nKBD VK_RETURN,UP,250\r\nKBD VK_SPACE,PRESS,250\r\n"));
}

void AutoInputFrmTest::KeyNamesFromNativeEvents_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<uint>("keycode");
    QTest::addColumn<uint>("keysym");
    QTest::addColumn<QString>("line");
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers keypad(Qt::KeypadModifier);
    const Qt::KeyboardModifiers shift(Qt::ShiftModifier);
    QTest::newRow("keypad 5") << int(Qt::Key_5) << keypad << 84u << 0xffb5u << "KBD VK_5,PRESS,0";
    QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << 90u << 0xffb0u << "KBD VK_0,PRESS,0";
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << keypad << 63u << 0xffaau << "KBD 106,PRESS,0";
    QTest::newRow("keypad .") << int(Qt::Key_Period) << keypad << 91u << 0xffaeu << "KBD 110,PRESS,0";
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << keypad << 106u << 0xffafu << "KBD 111,PRESS,0";
    QTest::newRow("keypad 4, num lock off")
        << int(Qt::Key_Left) << keypad << 83u << 0xff96u << "KBD VK_LEFT,PRESS,0";
    QTest::newRow("F11") << int(Qt::Key_F11) << none << 95u << 0xffc8u << "KBD VK_F11,PRESS,0";
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 96u << 0xffc9u << "KBD 123,PRESS,0";
    QTest::newRow("left shift alone")
        << int(Qt::Key_Shift) << shift << 50u << 0xffe1u << "KBD VK_SHIFT,PRESS,0";
    QTest::newRow("right shift alone")
        << int(Qt::Key_Shift) << shift << 62u << 0xffe2u << "KBD VK_SHIFT,PRESS,0";
    QTest::newRow("right control alone") << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                         << 105u << 0xffe4u << "KBD VK_CONTROL,PRESS,0";
    QTest::newRow("left alt alone") << int(Qt::Key_Alt) << Qt::KeyboardModifiers(Qt::AltModifier) << 64u
                                    << 0xffe9u << "KBD VK_ALT,PRESS,0";
    QTest::newRow("left Windows key")
        << int(Qt::Key_Super_L) << none << 133u << 0xffebu << "KBD VK_LWIN,PRESS,0";
    QTest::newRow("right Windows key") << int(Qt::Key_Super_R) << none << 134u << 0xffecu << "KBD 92,PRESS,0";
    QTest::newRow("shift + 1") << int(Qt::Key_Exclam) << shift << 10u << 0x21u << "KBD VK_1,PRESS,0";
    QTest::newRow("shift + a") << int(Qt::Key_A) << shift << 38u << 0x41u << "KBD VK_A,PRESS,0";
    QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << none << 47u << 0x3bu << "KBD 186,PRESS,0";
    QTest::newRow("Japanese ro key") << int(Qt::Key_Backslash) << none << 97u << 0x5cu << "KBD 226,PRESS,0";
    QTest::newRow("Zenkaku_Hankaku") << int(Qt::Key_Zenkaku_Hankaku) << none << 49u << 0xff2au
                                     << "KBD 244,PRESS,0";
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 23u << 0xff09u << "KBD VK_TAB,PRESS,0";
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 9u << 0xff1bu << "KBD VK_ESCAPE,PRESS,0";
    QTest::newRow("BackSpace") << int(Qt::Key_Backspace) << none << 22u << 0xff08u << "KBD VK_BACK,PRESS,0";
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none << 112u << 0xff55u << "KBD VK_PRIOR,PRESS,0";
}

void AutoInputFrmTest::KeyNamesFromNativeEvents() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(uint, keycode);
    QFETCH(uint, keysym);
    QFETCH(QString, line);
    ShowDialog();
    PressKey(Area(), key, modifiers, keycode, keysym);
    QCOMPARE(dialog_->InputText(), line + kCrLf);
}

// Events made by a program carry no native numbers; Qt's key and the keypad modifier decide then.
void AutoInputFrmTest::KeyNamesFromPlainQtEvents() {
    ShowDialog();
    QTest::keyClick(Area(), Qt::Key_F12);
    QTest::keyClick(Area(), Qt::Key_5, Qt::KeypadModifier);
    QTest::keyClick(Area(), Qt::Key_5);
    QTest::keyClick(Area(), Qt::Key_Q, Qt::ShiftModifier);
    QTest::keyClick(Area(), Qt::Key_Up);
    // The shift of shift + Q is a key press of its own, as on a keyboard.
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("KBD 123,PRESS,0\r\nKBD VK_5,PRESS,0\r\nKBD VK_5,PRESS,0\r\n"
                            "KBD VK_SHIFT,PRESS,0\r\nKBD VK_Q,PRESS,0\r\nKBD VK_UP,PRESS,0\r\n"));
}

// Escape and Enter do not close the dialog, Tab does not move the focus, and typed characters never appear.
void AutoInputFrmTest::KeysStayInTheTextArea() {
    ShowDialog();
    QTest::keyClick(Area(), Qt::Key_Escape);
    QTest::keyClick(Area(), Qt::Key_Return);
    QTest::keyClick(Area(), Qt::Key_Tab);
    QTest::keyClick(Area(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClicks(Area(), QStringLiteral("x"));
    QVERIFY(dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QCOMPARE(QApplication::focusWidget(), Area());
    QCOMPARE(AreaText(), QStringLiteral("KBD VK_ESCAPE,PRESS,0\nKBD VK_RETURN,PRESS,0\nKBD VK_TAB,PRESS,0\n"
                                        "KBD VK_SHIFT,PRESS,0\nKBD VK_TAB,PRESS,0\nKBD VK_X,PRESS,0\n"));
}

void AutoInputFrmTest::NamelessAndRepeatedKeysAddNothing() {
    ShowDialog();
    PressKey(Area(), Qt::Key_CapsLock, Qt::NoModifier, 66, 0xffe5);
    PressKey(Area(), Qt::Key_NumLock, Qt::NoModifier, 77, 0xff7f);
    PressKey(Area(), Qt::Key_Print, Qt::NoModifier, 107, 0xff61);
    PressKey(Area(), Qt::Key_VolumeMute, Qt::NoModifier, 121, 0x1008ff12);
    PressKey(Area(), Qt::Key_B, Qt::NoModifier, 56, 0x62);
    PressKey(Area(), Qt::Key_B, Qt::NoModifier, 56, 0x62, true);
    PressKey(Area(), Qt::Key_B, Qt::NoModifier, 56, 0x62, true);
    QCOMPARE(dialog_->InputText(), QStringLiteral("KBD VK_B,PRESS,0\r\n"));
}

// In absolute coordinates a mouse line ends with the pixel it clicks, over the primary screen (Qt's here:
// the test gives the dialog no desktop).
void AutoInputFrmTest::MouseLines() {
    ShowDialog();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString pixel = QStringLiteral(" ' (%1, %2)")
                              .arg(static_cast<int>(int64_t{100} * screen.width() / 65536))
                              .arg(static_cast<int>(int64_t{200} * screen.height() / 65536));
    Control<QLineEdit>(*dialog_, "MUSXTxt")->setText(QStringLiteral("100"));
    Control<QLineEdit>(*dialog_, "MUSYTxt")->setText(QStringLiteral("200"));
    Control<QLineEdit>(*dialog_, "WaitTimeTxt")->setText(QStringLiteral("50"));
    Click("MUSInputBtn");
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("MUS LEFTPRESS,100,200,50") + pixel + QStringLiteral("\r\n"));
    // The button hands the focus back to the text area for the next key.
    QCOMPARE(QApplication::focusWidget(), Area());

    Control<QLineEdit>(*dialog_, "WaitTimeTxt")->setText(QStringLiteral("0"));
    const QStringList actions{"LEFTDOWN", "LEFTUP",     "LEFTPRESS", "RIGHTDOWN",
                              "RIGHTUP",  "RIGHTPRESS", "MOVE"};
    QString expected;
    for (int i = 0; i < 7; ++i) {
        Click(qPrintable(QStringLiteral("MUSOpt%1").arg(i)));
        Click("MUSInputBtn");
        expected += QStringLiteral("MUS ") + actions[i] + QStringLiteral(",100,200,0") + pixel +
                    QStringLiteral("\r\n");
    }
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("MUS LEFTPRESS,100,200,50") + pixel + QStringLiteral("\r\n") + expected);

    Click("ClearBtn");
    Click("UcaseChk");
    Click("MUSOpt5");
    Click("MUSInputBtn");
    QCOMPARE(dialog_->InputText(),
             QStringLiteral("mus rightpress,100,200,0") + pixel + QStringLiteral("\r\n"));

    // No pixel for positions that are no whole numbers, nor for relative motions.
    Click("ClearBtn");
    Control<QLineEdit>(*dialog_, "MUSXTxt")->setText(QStringLiteral("x"));
    Click("MUSInputBtn");
    Control<QLineEdit>(*dialog_, "MUSXTxt")->setText(QStringLiteral("100"));
    Click("MUSOrgChk");
    Click("MUSInputBtn");
    QCOMPARE(dialog_->InputText(), QStringLiteral("mus rightpress,x,200,0\r\nmus rightpress,100,200,0\r\n"));
}

void AutoInputFrmTest::ClearEmptiesTheTextArea() {
    ShowDialog();
    PressKey(Area(), Qt::Key_C, Qt::NoModifier, 54, 0x63);
    Click("MUSInputBtn");
    QVERIFY(!AreaText().isEmpty());
    Click("ClearBtn");
    QVERIFY(dialog_->InputText().isEmpty());
    QVERIFY(AreaText().isEmpty());
    QCOMPARE(QApplication::focusWidget(), Area());
    PressKey(Area(), Qt::Key_D, Qt::NoModifier, 40, 0x64);
    QCOMPARE(dialog_->InputText(), QStringLiteral("KBD VK_D,PRESS,0\r\n"));
    QCOMPARE(AreaText(), QStringLiteral("KBD VK_D,PRESS,0\n"));
}

void AutoInputFrmTest::ApplyReplacesTheSelectionAndCanBeUndone() {
    editor_->setPlainText(QStringLiteral("first\nSELECTED\nlast"));
    QTextCursor selection = editor_->textCursor();
    selection.setPosition(6);
    selection.setPosition(14, QTextCursor::KeepAnchor);
    editor_->setTextCursor(selection);
    ShowDialog();
    PressKey(Area(), Qt::Key_A, Qt::NoModifier, 38, 0x61);
    Click("MUSInputBtn");
    Click("InputBtn");
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QVERIFY(!dialog_->isVisible());
    const QString inserted = QStringLiteral("MUSORG 1\nKBD VK_A,PRESS,0\nMUS LEFTPRESS,0,0,0 ' (0, 0)\n");
    QCOMPARE(editor_->toPlainText(), QStringLiteral("first\n") + inserted + QStringLiteral("\nlast"));
    QCOMPARE(editor_->blockCount(), 6);
    // The caret stands after the inserted lines, nothing selected.
    QCOMPARE(editor_->textCursor().position(), 6 + inserted.size());
    QVERIFY(!editor_->textCursor().hasSelection());
    editor_->undo();
    QCOMPARE(editor_->toPlainText(), QStringLiteral("first\nSELECTED\nlast"));
}

void AutoInputFrmTest::ApplyWithoutAbsoluteCoordinates() {
    editor_->setPlainText(QStringLiteral("AB"));
    QTextCursor caret = editor_->textCursor();
    caret.setPosition(1);
    editor_->setTextCursor(caret);
    ShowDialog();
    Click("MUSOrgChk");
    PressKey(Area(), Qt::Key_Up, Qt::NoModifier, 111, 0xff52);
    Click("InputBtn");
    QCOMPARE(editor_->toPlainText(), QStringLiteral("AKBD VK_UP,PRESS,0\nB"));
}

void AutoInputFrmTest::ApplyNothingWithAbsoluteCoordinates() {
    editor_->setPlainText(QStringLiteral("X"));
    editor_->moveCursor(QTextCursor::End);
    ShowDialog();
    Click("InputBtn");
    QCOMPARE(editor_->toPlainText(), QStringLiteral("XMUSORG 1\n"));
}

void AutoInputFrmTest::ApplyNothingLeavesTheSelection() {
    editor_->setPlainText(QStringLiteral("keep this"));
    editor_->selectAll();
    ShowDialog();
    Click("MUSOrgChk");
    Click("InputBtn");
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QCOMPARE(editor_->toPlainText(), QStringLiteral("keep this"));
    QCOMPARE(editor_->textCursor().selectedText(), QStringLiteral("keep this"));
}

// 閉じる with a line not applied asks first; いいえ closes without inserting it.
void AutoInputFrmTest::CloseLeavesTheEditor() {
    editor_->setPlainText(QStringLiteral("text"));
    editor_->selectAll();
    ShowDialog();
    QStringList asked;
    dialog_->SetQuestion([&](const QString& text) {
        asked << text;
        return int32_t{kButtonNo};
    });
    PressKey(Area(), Qt::Key_A, Qt::NoModifier, 38, 0x61);
    Click("CloseBtn");
    QCOMPARE(asked, QStringList{AutoInputFrm::UnappliedLinesQuestion()});
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(editor_->toPlainText(), QStringLiteral("text"));
}

// Shown with exec() over a main window, the dialog is modal and returns when a button ends it.
void AutoInputFrmTest::ModalExec() {
    QWidget window;
    auto* editor = new QPlainTextEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    AutoInputFrm dialog(editor, &window);
    bool wasModal = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &dialog;
        auto* area = dialog.findChild<QWidget*>(QStringLiteral("InputTxt"));
        PressKey(area, Qt::Key_Z, Qt::NoModifier, 52, 0x7a);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("InputBtn")), Qt::LeftButton);
    });
    QTimer::singleShot(10000, &dialog, &QDialog::reject); // never hang
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(wasModal);
    QCOMPARE(editor->toPlainText(), QStringLiteral("MUSORG 1\nKBD VK_Z,PRESS,0\n"));
}

void AutoInputFrmTest::ApplyWithoutEditor() {
    AutoInputFrm dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("InputBtn")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void AutoInputFrmTest::PointerPickAfterCountdown() {
    ShowDialog();
    Click("MUSOrgChk"); // relative coordinates: the fields get screen pixels
    dialog_->SetPickCountdown(3, 150);
    QCursor::setPos(123, 45);
    auto* pick = Control<QPushButton>(*dialog_, "MUSPickBtn");
    auto* status = Control<QLabel>(*dialog_, "MUSPickLbl");
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(pick, Qt::LeftButton);
    QVERIFY(status->text().startsWith(QStringLiteral("3秒後に")));
    QVERIFY(!pick->isEnabled());
    QCOMPARE(Control<QLineEdit>(*dialog_, "MUSXTxt")->text(), QStringLiteral("0"));
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("1秒後に")), 10000);
    // The pointer may still move during the countdown; its place at the end counts.
    QCursor::setPos(321, 234);
    QTRY_VERIFY_WITH_TIMEOUT(pick->isEnabled(), 10000);
    QVERIFY(clock.elapsed() >= 3 * 150);
    QCOMPARE(Control<QLineEdit>(*dialog_, "MUSXTxt")->text(), QStringLiteral("321"));
    QCOMPARE(Control<QLineEdit>(*dialog_, "MUSYTxt")->text(), QStringLiteral("234"));
    QCOMPARE(status->text(), QStringLiteral("取得しました: 画面の(321,234)"));
    Click("MUSInputBtn");
    QCOMPARE(dialog_->InputText(), QStringLiteral("MUS LEFTPRESS,321,234,0\r\n"));
}

void AutoInputFrmTest::PointerPickInAbsoluteSpace() {
    ShowDialog();
    dialog_->SetPickCountdown(1, 50);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint last(screen.right(), screen.bottom());
    QCursor::setPos(last);
    Click("MUSPickBtn");
    auto* pick = Control<QPushButton>(*dialog_, "MUSPickBtn");
    QTRY_VERIFY_WITH_TIMEOUT(pick->isEnabled(), 10000);
    QCOMPARE(Control<QLineEdit>(*dialog_, "MUSXTxt")->text(), QStringLiteral("65535"));
    QCOMPARE(Control<QLineEdit>(*dialog_, "MUSYTxt")->text(), QStringLiteral("65535"));

    const QPoint middle = screen.center();
    QCursor::setPos(middle);
    Click("MUSPickBtn");
    QTRY_VERIFY_WITH_TIMEOUT(pick->isEnabled(), 10000);
    const int x = Control<QLineEdit>(*dialog_, "MUSXTxt")->text().toInt();
    const int y = Control<QLineEdit>(*dialog_, "MUSYTxt")->text().toInt();
    QCOMPARE(static_cast<int>(int64_t{x} * screen.width() / 65536), middle.x() - screen.x());
    QCOMPARE(static_cast<int>(int64_t{y} * screen.height() / 65536), middle.y() - screen.y());
    // The line names the pixel that was picked.
    Click("MUSInputBtn");
    QCOMPARE(
        dialog_->InputText(),
        QStringLiteral("MUS LEFTPRESS,%1,%2,0 ' (%3, %4)\r\n").arg(x).arg(y).arg(middle.x()).arg(middle.y()));
}

QTEST_MAIN(AutoInputFrmTest)
#include "auto_input_frm_test.moc"
