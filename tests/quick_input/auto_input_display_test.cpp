// Tests of the quick-input dialog AutoInputFrm on a real X display (a private Xvfb with a window manager):
// key presses injected through the X server by xdotool (on the US, German and Japanese layouts), and the
// pointer pick with a pointer xdotool moves.
#include "auto_input_frm.h"
#include "desktop_platform_factory.h"
#include "xdotool_runner.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

class AutoInputDisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void RealKeyPresses();
    void RealKeyPressesWithModifierWrapping();
    void PhysicalKeysOfOtherLayouts();
    void PickTheRealPointerPosition();

  private:
    QPlainTextEdit* Area() const { return dialog_->findChild<QPlainTextEdit*>(QStringLiteral("InputTxt")); }
    QLineEdit* Field(const char* name) const {
        return dialog_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    QPlainTextEdit* editor_ = nullptr;
    AutoInputFrm* dialog_ = nullptr;
};

void AutoInputDisplayTest::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "xdotool is needed");
}

void AutoInputDisplayTest::init() {
    editor_ = new QPlainTextEdit;
    dialog_ = new AutoInputFrm(editor_);
    dialog_->move(100, 100);
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_));
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_, 10000));
    dialog_->TxtSetFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(Area()), 10000);
}

void AutoInputDisplayTest::cleanup() {
    delete dialog_;
    delete editor_;
    dialog_ = nullptr;
    editor_ = nullptr;
}

// The X server gives the keysyms and keycodes: right and left keys, the keypad and the function keys come
// out by their own codes. For a right-hand modifier xdotool first presses the left key of the same
// modifier, so those come in pairs: left (the common name), then right.
void AutoInputDisplayTest::RealKeyPresses() {
    QVERIFY(Xdotool({"key", "--delay", "30", "a", "Shift_R", "F12", "KP_Divide", "Super_R", "Control_R",
                     "Return", "Tab", "Escape", "bracketleft", "F11"}));
    const QString expected =
        QStringLiteral("KBD VK_A,PRESS,0\r\n"
                       "KBD VK_SHIFT,PRESS,0\r\nKBD VK_SHIFT,PRESS,0\r\n"
                       "KBD 123,PRESS,0\r\n"
                       "KBD 111,PRESS,0\r\n"
                       "KBD VK_LWIN,PRESS,0\r\nKBD 92,PRESS,0\r\n"
                       "KBD VK_CONTROL,PRESS,0\r\nKBD VK_CONTROL,PRESS,0\r\n"
                       "KBD VK_RETURN,PRESS,0\r\nKBD VK_TAB,PRESS,0\r\nKBD VK_ESCAPE,PRESS,0\r\n"
                       "KBD 219,PRESS,0\r\nKBD VK_F11,PRESS,0\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->InputText(), expected, 10000);
    QVERIFY(dialog_->isVisible());
}

// Shift held while a digit is pressed: the shift press is a line of its own, the digit keeps its own name
// although the X server reports the shifted character; the wrapping of the checked boxes comes around it.
void AutoInputDisplayTest::RealKeyPressesWithModifierWrapping() {
    dialog_->findChild<QWidget*>(QStringLiteral("KBDAltChk"))->setProperty("checked", true);
    QVERIFY(Xdotool({"key", "--delay", "30", "shift+1"}));
    const QString expected = QStringLiteral("KBD VK_ALT,DOWN\r\nKBD VK_SHIFT,PRESS,0\r\nKBD VK_ALT,UP\r\n"
                                            "KBD VK_ALT,DOWN\r\nKBD VK_1,PRESS,0\r\nKBD VK_ALT,UP\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->InputText(), expected, 10000);
}

// With the desktop platform, as the editor gives it, a key is named by the code Windows gives that physical
// key on the active layout: the ü, ö, ä keys of a German keyboard, the : ろ ¥ and 半角/全角 keys of a
// Japanese one. Without the platform the key's symbol decides (the US places).
void AutoInputDisplayTest::PhysicalKeysOfOtherLayouts() {
    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    const struct {
        const char* layout;
        QStringList keycodes;
        QString lines;
    } cases[] = {
        {"de",
         {"34", "47", "48", "29"},
         "KBD 186,PRESS,0\r\nKBD 192,PRESS,0\r\nKBD 222,PRESS,0\r\nKBD VK_Z,PRESS,0\r\n"},
        {"jp",
         {"48", "97", "132", "49"},
         "KBD 186,PRESS,0\r\nKBD 226,PRESS,0\r\nKBD 220,PRESS,0\r\nKBD 244,PRESS,0\r\n"},
    };
    for (const auto& layout : cases) {
        QProcess::execute(QStringLiteral("setxkbmap"), {QString::fromLatin1(layout.layout)});
        dialog_->SetDesktop(desktop.get());
        const QString before = dialog_->InputText();
        QVERIFY(Xdotool(QStringList{"key", "--delay", "30"} + layout.keycodes));
        QTRY_COMPARE_WITH_TIMEOUT(dialog_->InputText(), before + layout.lines, 10000);
    }
    // The German ü key without the platform: by its place on a US keyboard.
    dialog_->SetDesktop(nullptr);
    QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("de")});
    const QString before = dialog_->InputText();
    QVERIFY(Xdotool({"key", "34"}));
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->InputText(), before + QStringLiteral("KBD 219,PRESS,0\r\n"), 10000);
    QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
}

// Once with the toolkit's pointer position and once through the desktop platform, as the editor gives it.
void AutoInputDisplayTest::PickTheRealPointerPosition() {
    auto* pick = dialog_->findChild<QPushButton*>(QStringLiteral("MUSPickBtn"));
    auto* absolute = dialog_->findChild<QWidget*>(QStringLiteral("MUSOrgChk"));
    dialog_->SetPickCountdown(2, 200);
    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    for (DesktopPlatform* source : {static_cast<DesktopPlatform*>(nullptr), desktop.get()}) {
        dialog_->SetDesktop(source);
        absolute->setProperty("checked", false);
        QVERIFY(Xdotool({"mousemove", "20", "30"}));
        QTest::mouseClick(pick, Qt::LeftButton);
        // The pointer is moved away from the dialog during the countdown, as a user does.
        QVERIFY(Xdotool({"mousemove", "1100", "900"}));
        QTRY_VERIFY_WITH_TIMEOUT(pick->isEnabled(), 10000);
        QCOMPARE(Field("MUSXTxt")->text(), QStringLiteral("1100"));
        QCOMPARE(Field("MUSYTxt")->text(), QStringLiteral("900"));

        absolute->setProperty("checked", true);
        QTest::mouseClick(pick, Qt::LeftButton);
        QVERIFY(Xdotool({"mousemove", "640", "1023"}));
        QTRY_VERIFY_WITH_TIMEOUT(pick->isEnabled(), 10000);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(screen, QSize(1280, 1024));
        QCOMPARE(Field("MUSYTxt")->text(), QStringLiteral("65535"));
        QCOMPARE(Field("MUSXTxt")->text().toLongLong() * screen.width() / 65536, 640);
    }
}

QTEST_MAIN(AutoInputDisplayTest)
#include "auto_input_display_test.moc"
