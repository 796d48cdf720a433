// The authoring aids' windows against a scripted desktop: the window information's readings, freeze key and
// inserted lines; the capture's rectangle chosen by mouse and arrow keys; the recorder from start to lines.
#include "capture_frm.h"
#include "magnifier_view.h"
#include "recorder_frm.h"
#include "scripted_desktop.h"
#include "window_info_frm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using editor_testing::ScriptedDesktop;

namespace {

// A hotkey the test presses.
class TestKey : public StopHotkey {
  public:
    explicit TestKey(bool* grabbed, int* presses) : grabbed_(grabbed), presses_(presses) {}
    bool Grab() override { return *grabbed_ = true; }
    void Release() override { *grabbed_ = false; }
    bool TakePressed() override {
        if (*presses_ == 0) return false;
        --*presses_;
        return true;
    }

  private:
    bool* grabbed_;
    int* presses_;
};

QString LabelText(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

WindowDescription XTerm() {
    WindowDescription w;
    w.window = 4242;
    w.className = u"XTerm";
    w.instanceName = u"xterm";
    w.title = u"端末";
    w.placement = {1, 10, 20, 650, 500};
    return w;
}

} // namespace

TEST(AidWindows, WindowInformationFollowsFreezesAndInserts) {
    ScriptedDesktop desktop;
    desktop.window = XTerm();
    bool grabbed = false;
    int presses = 0;
    QStringList inserted;
    QList<int> caretLines;
    WindowInfoFrm info(&desktop, std::make_unique<TestKey>(&grabbed, &presses),
                       [&](const QStringList& lines, int caretLine) {
                           inserted += lines;
                           caretLines += caretLine;
                       });
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    EXPECT_TRUE(grabbed) << "the freeze key is taken while the window is open";
    EXPECT_EQ(LabelText(info, "lbl_Class"), QStringLiteral("XTerm"));
    EXPECT_EQ(LabelText(info, "lbl_Instance"), QStringLiteral("xterm"));
    EXPECT_EQ(LabelText(info, "lbl_Title"), QStringLiteral("端末"));
    EXPECT_EQ(LabelText(info, "lbl_Handle"), QStringLiteral("4242"));
    EXPECT_EQ(LabelText(info, "lbl_Frame"), QStringLiteral("(10, 20) - (650, 500)  640 × 480"));
    EXPECT_EQ(LabelText(info, "lbl_Pointer"), QStringLiteral("(300, 200)"));
    // Red 300 & 0xFF = 44, green 200: the colour as GETCOLOR gives it.
    EXPECT_EQ(LabelText(info, "lbl_Colour"), QStringLiteral("51244 = &H00C82C (R 44, G 200, B 0)"));
    auto* getWinId = info.findChild<QPushButton*>(QStringLiteral("btn_GetWinId"));
    EXPECT_FALSE(getWinId->isEnabled()) << "live readings change under the pointer: no lines yet";

    // The readings follow the pointer ten times a second, and the magnifier shows the pixels around it.
    desktop.pointerX = 20;
    desktop.pointerY = 30;
    QTRY_COMPARE_WITH_TIMEOUT(LabelText(info, "lbl_Pointer"), QStringLiteral("(20, 30)"), 2000);
    const QImage around =
        dynamic_cast<MagnifierView*>(info.findChild<QWidget*>(QStringLiteral("pic_Magnifier")))->Image();
    ASSERT_EQ(around.size(), QSize(15, 15));
    EXPECT_EQ(around.pixel(7, 7), qRgb(20, 30, 0));

    // The key freezes them; the pointer moves on without changing them; the buttons insert lines.
    presses = 1;
    QTRY_VERIFY_WITH_TIMEOUT(info.IsFrozen(), 2000);
    desktop.pointerX = 900;
    QTest::qWait(300);
    EXPECT_EQ(LabelText(info, "lbl_Pointer"), QStringLiteral("(20, 30)"));
    ASSERT_TRUE(getWinId->isEnabled());
    getWinId->click();
    info.findChild<QPushButton*>(QStringLiteral("btn_SetWin"))->click();
    info.findChild<QPushButton*>(QStringLiteral("btn_GetColor"))->click();
    EXPECT_EQ(inserted, QStringList({"DIM w", "w = GETWINID(\"XTerm\")", "SETWIN w, 10, 20",
                                     "IF GETCOLOR(20, 30) = 7700 THEN", "\t", "END IF"}));
    EXPECT_EQ(caretLines, QList<int>({-1, -1, 1})) << "the caret goes inside the IF block";

    // Nothing under the pointer: no window lines.
    presses = 1;
    desktop.window.reset();
    QTRY_COMPARE_WITH_TIMEOUT(LabelText(info, "lbl_Class"), QStringLiteral("-"), 2000);
    info.SetFrozen(true);
    EXPECT_FALSE(getWinId->isEnabled());
    info.hide();
    EXPECT_FALSE(grabbed) << "closed, the key is given back";
}

TEST(AidWindows, CaptureRectangleByMouseAndArrowKeys) {
    CaptureSelection selection(QSize(100, 80));
    EXPECT_TRUE(selection.IsEmpty());
    selection.Start(QPoint(10, 20));
    selection.MoveCorner(QPoint(4, 25)); // dragged to the left: the rectangle is still the right way round
    EXPECT_EQ(selection.Rect(), QRect(QPoint(4, 20), QPoint(10, 25)));
    selection.Nudge(-10, 0); // kept on the screen
    EXPECT_EQ(selection.Rect(), QRect(QPoint(0, 20), QPoint(10, 25)));
    selection.MoveCorner(QPoint(500, 500));
    EXPECT_EQ(selection.Rect(), QRect(QPoint(10, 20), QPoint(99, 79)));

    // The picture is the chosen screen pixels, both corners included.
    PixelGrid screen;
    ScriptedDesktop desktop;
    desktop.CaptureRegion(0, 0, 100, 80, screen);
    const QImage picture = CapturedPicture(screen, QRect(QPoint(3, 4), QPoint(5, 9)));
    ASSERT_EQ(picture.size(), QSize(3, 6));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(3, 4, 0));
    EXPECT_EQ(picture.pixel(2, 5), qRgb(5, 9, 0));

    // In the window: a drag, one pixel more with an arrow key, Enter.
    CaptureFrm capture(ImageOfPixels(screen));
    capture.show();
    capture.Selection().Start(QPoint(3, 4));
    capture.Selection().MoveCorner(QPoint(5, 9));
    QTest::keyClick(&capture, Qt::Key_Right);
    EXPECT_EQ(capture.Selection().Rect(), QRect(QPoint(3, 4), QPoint(6, 9)));
}

TEST(AidWindows, RecorderTurnsTheRecordingIntoLinesWhenStopped) {
    ScriptedDesktop desktop;
    using Kind = RecordedInput::Kind;
    desktop.recordings = {{{Kind::KeyDown, 0x41, 0, 0, 100}, {Kind::KeyUp, 0x41, 0, 0, 150}},
                          {{Kind::ButtonDown, 1, 640, 512, 1000}, {Kind::ButtonUp, 1, 640, 512, 1050}},
                          {{Kind::KeyDown, 0x13, 0, 0, 1500}}}; // the stop key itself is left out
    bool grabbed = false;
    int presses = 0;
    QStringList inserted;
    RecorderFrm recorder(&desktop, std::make_unique<TestKey>(&grabbed, &presses),
                         [&](const QStringList& lines) { inserted = lines; });
    recorder.show();
    ASSERT_TRUE(recorder.Start());
    EXPECT_TRUE(grabbed);
    EXPECT_EQ(desktop.recordingsAlive, 1);
    QTest::qWait(300);
    presses = 1; // Pause
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.IsRecording(), 2000);
    EXPECT_EQ(desktop.recordingsAlive, 0) << "the recording ends with the window's work";
    EXPECT_FALSE(grabbed);
    EXPECT_EQ(inserted, QStringList({"MUSORG 1", "KBD VK_A,PRESS", "WAIT 850",
                                     "MUS LEFTPRESS,32794,32800 ' (640, 512)"}));

    // A desktop that cannot be recorded says so and inserts nothing.
    desktop.recordable = false;
    inserted.clear();
    RecorderFrm refused(&desktop, nullptr, [&](const QStringList& lines) { inserted = lines; });
    EXPECT_FALSE(refused.Start());
    refused.close();
    EXPECT_TRUE(inserted.isEmpty());
}
