// The authoring aids' windows against a scripted desktop: the window information's readings, freeze key and
// inserted lines; the capture's rectangle chosen by mouse and arrow keys; the recorder from start to lines.
#include "capture_frm.h"
#include "magnifier_view.h"
#include "recorder_frm.h"
#include "window_info_frm.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

// A desktop whose pointer, window, pixels and recorded input the test sets.
class ScriptedDesktop : public DesktopPlatform {
  public:
    int32_t pointerX = 300, pointerY = 200;
    std::optional<WindowDescription> window;
    std::deque<std::vector<RecordedInput>> recordings; // what each Take returns in turn
    bool recordable = true;
    int recordingsAlive = 0;

    bool HasDisplay() const override { return true; }
    void SendKeyEvent(uint8_t, uint32_t, uint32_t) override {}
    void SendMouseEvent(uint32_t, int32_t, int32_t) override {}
    uint16_t AsyncKeyState(int32_t) override { return 0; }
    void SetPointerPosition(int32_t, int32_t) override {}
    bool PointerPosition(int32_t& x, int32_t& y) override {
        x = pointerX;
        y = pointerY;
        return true;
    }
    bool TopLevelWindowAt(int32_t, int32_t, WindowDescription& out) override {
        if (!window) return false;
        out = *window;
        return true;
    }
    int32_t FindTopLevelWindow(const std::u16string& name, const std::u16string*) override {
        return window && window->className == name ? window->window : 0;
    }
    bool GetPlacement(int32_t, WindowPlacement&) override { return false; }
    void MoveWindow(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t SendSystemCommand(int32_t, int32_t) override { return 0; }
    void ScreenSize(int32_t& width, int32_t& height) override {
        width = 1280;
        height = 1024;
    }
    // Red grows to the right, green downwards: every pixel tells where it is.
    int32_t ReadPixel(int32_t x, int32_t y) override { return (x & 0xFF) | ((y & 0xFF) << 8); }
    int CaptureRegion(int32_t left, int32_t top, int32_t width, int32_t height, PixelGrid& out) override {
        out.width = width;
        out.height = height;
        out.bgra.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = out.bgra.data() + (static_cast<size_t>(y) * width + x) * 4;
                p[2] = static_cast<uint8_t>(left + x);
                p[1] = static_cast<uint8_t>(top + y);
            }
        return 0;
    }
    int CaptureScreen(PixelGrid& out) override { return CaptureRegion(0, 0, 1280, 1024, out); }
    int LoadImageFile(const std::u16string&, PixelGrid&) override { return 53; }
    int StartProcess(const std::u16string&, int32_t, double&) override { return 53; }
    int32_t MillisecondClock() override { return 0; }
    int32_t SendMediaCommand(const std::u16string&, const WaitTurn&) override { return 0; }

    std::unique_ptr<InputRecording> StartInputRecording() override;
};

class ScriptedRecording : public InputRecording {
  public:
    explicit ScriptedRecording(ScriptedDesktop& desktop) : desktop_(desktop) { ++desktop_.recordingsAlive; }
    ~ScriptedRecording() override { --desktop_.recordingsAlive; }
    void Take(std::vector<RecordedInput>& out) override {
        if (desktop_.recordings.empty()) return;
        out.insert(out.end(), desktop_.recordings.front().begin(), desktop_.recordings.front().end());
        desktop_.recordings.pop_front();
    }

  private:
    ScriptedDesktop& desktop_;
};

std::unique_ptr<InputRecording> ScriptedDesktop::StartInputRecording() {
    if (!recordable) return nullptr;
    return std::make_unique<ScriptedRecording>(*this);
}

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
