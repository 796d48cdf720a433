// Tests of the quick-input dialog's pointer pick on unusual real displays (private Xvfb screens that
// CMake sets up): two RandR monitors with the primary one on the right, where the absolute position of a
// pixel on either monitor must replay there through MUS; and a 192-dpi screen (Xft.dpi) where the toolkit
// scales by two, and the dialog must still write the screen's own pixels.
#include "absolute_mouse_space.h"
#include "auto_input_frm.h"
#include "desktop_platform_factory.h"
#include "xdotool_runner.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <memory>

class PointerPickDisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void PositionsOnEitherMonitorReplayThere();
    void HighDensityScreenGivesTheScreensOwnPixels();

  private:
    // Picks the pointer at the pixel (moved there by xdotool, as another program would); the fields' texts.
    QPoint PickAt(int x, int y, bool absolute);

    std::unique_ptr<DesktopPlatform> desktop_;
    QPlainTextEdit* editor_ = nullptr;
    AutoInputFrm* dialog_ = nullptr;
};

void PointerPickDisplayTest::init() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    desktop_ = CreateDesktopPlatform();
    editor_ = new QPlainTextEdit;
    dialog_ = new AutoInputFrm(editor_);
    dialog_->SetPickCountdown(1, 100);
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_));
}

void PointerPickDisplayTest::cleanup() {
    delete dialog_;
    delete editor_;
    dialog_ = nullptr;
    editor_ = nullptr;
    desktop_.reset();
}

QPoint PointerPickDisplayTest::PickAt(int x, int y, bool absolute) {
    auto* pick = dialog_->findChild<QPushButton*>(QStringLiteral("MUSPickBtn"));
    dialog_->findChild<QWidget*>(QStringLiteral("MUSOrgChk"))->setProperty("checked", absolute);
    if (!Xdotool({"mousemove", QString::number(x), QString::number(y)})) return {-99999, -99999};
    QTest::mouseClick(pick, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return pick->isEnabled(); }, 10000)) return {-99999, -99999};
    return {dialog_->findChild<QLineEdit*>(QStringLiteral("MUSXTxt"))->text().toInt(),
            dialog_->findChild<QLineEdit*>(QStringLiteral("MUSYTxt"))->text().toInt()};
}

// Run with the monitors "Left" 1280×1024 at (0, 0) and "*Right" 1920×1080 at (1280, 0).
void PointerPickDisplayTest::PositionsOnEitherMonitorReplayThere() {
    ScreenRect primary;
    QVERIFY(desktop_->PrimaryMonitor(primary));
    if (primary.left != 1280) QSKIP("needs the two-monitor display with the primary monitor on the right");
    dialog_->SetDesktop(desktop_.get());
    for (const QPoint pixel : {QPoint(2000, 500), QPoint(500, 300), QPoint(1280, 0), QPoint(3199, 1079)}) {
        const QPoint written = PickAt(pixel.x(), pixel.y(), true);
        QCOMPARE(written, QPoint(AbsolutePositionOfPixel(pixel.x(), 1280, 1920),
                                 AbsolutePositionOfPixel(pixel.y(), 0, 1080)));
        // Nothing clamped: the left monitor lies left of the absolute space.
        QCOMPARE(written.x() < 0, pixel.x() < 1280);
        // What MUSORG 1 with these numbers does: the pointer goes back to the pixel.
        desktop_->SetPointerPosition(10, 10);
        desktop_->SendMouseEvent(DesktopPlatform::kMouseMove | DesktopPlatform::kMouseAbsolute, written.x(),
                                 written.y());
        int32_t x = 0;
        int32_t y = 0;
        QVERIFY(desktop_->PointerPosition(x, y));
        QCOMPARE(QPoint(x, y), pixel);
    }
    // Relative coordinates are the screen's pixels as they are.
    QCOMPARE(PickAt(2000, 500, false), QPoint(2000, 500));
}

// Run with Xft.dpi 192 on a 2560×1600 screen: the toolkit works in units of two pixels there.
void PointerPickDisplayTest::HighDensityScreenGivesTheScreensOwnPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen != nullptr);
    if (screen->devicePixelRatio() != 2.0) QSKIP("needs the 192-dpi display");
    QVERIFY(Xdotool({"mousemove", "2000", "1200"}));
    QTRY_COMPARE(QCursor::pos(), QPoint(1000, 600));
    // Through the desktop platform, as the editor opens the dialog, and through the toolkit alone.
    for (DesktopPlatform* source : {desktop_.get(), static_cast<DesktopPlatform*>(nullptr)}) {
        dialog_->SetDesktop(source);
        QCOMPARE(PickAt(2000, 1200, false), QPoint(2000, 1200));
        QCOMPARE(PickAt(2000, 1200, true),
                 QPoint(AbsolutePositionOfPixel(2000, 0, 2560), AbsolutePositionOfPixel(1200, 0, 1600)));
    }
    // The last pixel: the toolkit alone cannot tell an odd pixel from its even neighbour, the platform can.
    dialog_->SetDesktop(desktop_.get());
    QCOMPARE(PickAt(2559, 1599, true), QPoint(65535, 65535));
    QCOMPARE(PickAt(2559, 1599, false), QPoint(2559, 1599));
}

QTEST_MAIN(PointerPickDisplayTest)
#include "pointer_pick_display_test.moc"
