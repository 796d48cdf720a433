// The authoring aids' windows against a scripted desktop: the window information's readings, freeze key and
// inserted lines; the capture's rectangle, overlays, check of the live screen and the editor's place kept
// across it on the real window manager; the recorder from start to lines.
#include "capture_frm.h"
#include "capture_steps.h"
#include "editor_test_support.h"
#include "magnifier_view.h"
#include "recorder_frm.h"
#include "window_info_frm.h"
#include "window_manager_waits.h"

#include <QLabel>
#include <QProcess>
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

namespace {

using namespace editor_testing;

constexpr uint32_t kBackground = 0x3A6EA5;

PixelGrid PlainScreen() {
    PixelGrid g;
    g.width = 1280;
    g.height = 1024;
    g.bgra.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.height) * 4);
    for (size_t i = 0; i < g.bgra.size(); i += 4) {
        g.bgra[i] = kBackground & 0xFF;
        g.bgra[i + 1] = (kBackground >> 8) & 0xFF;
        g.bgra[i + 2] = (kBackground >> 16) & 0xFF;
    }
    return g;
}

// A 12×8 patch of colours found nowhere else, its top-left pixel at `at`.
constexpr QSize kPatch(12, 8);
void Plant(PixelGrid& g, QPoint at) {
    for (int y = 0; y < kPatch.height(); ++y)
        for (int x = 0; x < kPatch.width(); ++x) {
            uint8_t* p = g.bgra.data() + (static_cast<size_t>(at.y() + y) * 1280 + at.x() + x) * 4;
            p[0] = static_cast<uint8_t>(x * 20);
            p[1] = static_cast<uint8_t>(y * 30);
            p[2] = 0xC0;
        }
}

// Screens the desktop shows in turn (the last one stays), and picture files read as FINDIMG reads them.
class PictureDesktop : public ScriptedDesktop {
  public:
    std::deque<PixelGrid> screens;

    int CaptureScreen(PixelGrid& out) override {
        out = screens.front();
        if (screens.size() > 1) screens.pop_front();
        return 0;
    }
    int LoadImageFile(const std::u16string& path, PixelGrid& out) override {
        const QImage image = QImage(QString::fromStdU16String(path)).convertToFormat(QImage::Format_RGB32);
        if (image.isNull()) return 53;
        out.width = image.width();
        out.height = image.height();
        out.bgra.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 4);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                uint8_t* p =
                    out.bgra.data() + (static_cast<size_t>(y) * static_cast<size_t>(out.width) + x) * 4;
                p[0] = static_cast<uint8_t>(qBlue(c));
                p[1] = static_cast<uint8_t>(qGreen(c));
                p[2] = static_cast<uint8_t>(qRed(c));
            }
        return 0;
    }
};

// An editor window on the picture desktop, its dialogs scripted, saving pictures to one file.
struct CaptureEditor {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    PictureDesktop* desktop = nullptr;
    std::unique_ptr<frm_MacroWindow> window;
    int pictureNamesAsked = 0;

    CaptureEditor() {
        auto owned = std::make_unique<PictureDesktop>();
        desktop = owned.get();
        window = std::make_unique<frm_MacroWindow>(std::move(owned));
        EditorDialogs d = dialogs.Make();
        d.savePictureName = [this](const QString&) {
            ++pictureNamesAsked;
            return PicturePath();
        };
        window->SetDialogs(d);
        window->SetBufferPath(dir.filePath(QStringLiteral("macrobuf.qlx")));
        window->SetProgramDirectory(dir.path());
        window->SetRecoveryFolder(dir.filePath(QStringLiteral("recovery")));
    }
    QString PicturePath() const { return dir.filePath(QStringLiteral("切り取り.png")); }
};

// Calls `action` with the capture window once it is shown (polling, for at most 20 s).
void WhenCaptureShown(std::function<void(CaptureFrm&)> action) {
    auto* timer = new QTimer();
    auto* elapsed = new QElapsedTimer();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action] {
        CaptureFrm* capture = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("CaptureFrm") && w->isVisible())
                capture = dynamic_cast<CaptureFrm*>(w);
        if (capture == nullptr && elapsed->elapsed() < 20000) return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (capture != nullptr) action(*capture);
    });
    timer->start(20);
}

void ChooseAndConfirm(CaptureFrm& capture, QPoint topLeft) {
    capture.Selection().Start(topLeft);
    capture.Selection().MoveCorner(topLeft + QPoint(kPatch.width() - 1, kPatch.height() - 1));
    capture.SelectionChanged();
    QTest::keyClick(&capture, Qt::Key_Return);
}

// Moves the shown window as a user would and waits until the window manager has put it somewhere there and
// Qt agrees with the X server about where: the client area on the screen.
QRect PlaceWindow(QWidget& window, QPoint at) {
    window.move(at);
    QRect last;
    int same = 0;
    (void)WaitFor([&] {
        const QRect now = ServerClientRect(window);
        same = now == last && now == window.geometry() ? same + 1 : 0;
        last = now;
        return same >= 5;
    });
    return last;
}

} // namespace

TEST(AidWindows, CaptureCheckReportsNoneOneOrSeveralPlaces) {
    const CaptureCheckReport none = CaptureCheckReportOf(ImageMatchCount{});
    EXPECT_TRUE(none.offerRetake);
    EXPECT_TRUE(none.comment.startsWith(QStringLiteral("今の画面では見つかりませんでした")));
    EXPECT_TRUE(none.log.join(u'\n').contains(QStringLiteral("アクティブ"))) << "the usual reason is named";

    const CaptureCheckReport one = CaptureCheckReportOf(ImageMatchCount{1, false, 340, 230});
    EXPECT_FALSE(one.offerRetake);
    EXPECT_EQ(one.comment, QStringLiteral("(340, 230) で見つかりました"));
    EXPECT_EQ(one.log, QStringList{QStringLiteral("FINDIMG: (340, 230) で見つかりました")});

    const CaptureCheckReport two = CaptureCheckReportOf(ImageMatchCount{2, false, 5, 6});
    EXPECT_FALSE(two.offerRetake);
    EXPECT_EQ(two.comment, QStringLiteral("2 か所で見つかりました（最初は (5, 6)）"));
    ASSERT_EQ(two.log.size(), 2);
    EXPECT_TRUE(two.log[1].contains(QStringLiteral("大きな範囲"))) << "a hint to cut a larger rectangle";
    EXPECT_TRUE(CaptureCheckReportOf(ImageMatchCount{100, true, 0, 0})
                    .comment.startsWith(QStringLiteral("100 か所以上で見つかりました")));

    const CaptureCheckReport unchecked = CaptureCheckReportOf(std::nullopt);
    EXPECT_FALSE(unchecked.offerRetake) << "a file not read back is no change of the screen";
    EXPECT_FALSE(unchecked.comment.contains(QStringLiteral("見つかりました")));
}

TEST(AidWindows, CaptureSizeLabelStaysOnTheScreen) {
    EXPECT_EQ(CaptureSizeText(QRect(QPoint(3, 4), QPoint(6, 9))), QStringLiteral("(3, 4) 4×6"));
    const QRect screen(0, 0, 1280, 1024);
    const QSize label(120, 24);
    // Below the rectangle's bottom-left corner when there is room.
    EXPECT_EQ(CaptureLabelPlace(QRect(100, 100, 50, 40), label, screen), QPoint(100, 144));
    // Above it at the bottom of the screen; moved left at the right edge.
    EXPECT_EQ(CaptureLabelPlace(QRect(1250, 990, 30, 34), label, screen), QPoint(1160, 962));
    // A rectangle as large as the screen: the label stays inside all the same.
    const QPoint full = CaptureLabelPlace(screen, label, screen);
    EXPECT_TRUE(screen.contains(QRect(full, label))) << full.x() << "," << full.y();
}

TEST(AidWindows, CaptureModeShowsHintSizeDimmingAndAFramedMagnifier) {
    PixelGrid screen = PlainScreen();
    Plant(screen, QPoint(400, 300));
    CaptureFrm capture(ImageOfPixels(screen));
    capture.setGeometry(0, 0, 1280, 1024);
    capture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&capture));
    auto* hint = capture.findChild<QLabel*>(QStringLiteral("lbl_Hint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), QStringLiteral("ドラッグで範囲を選び、Enter で確定、Esc で取り消し"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(capture.rect().contains(hint->geometry()));

    capture.Selection().Start(QPoint(400, 300));
    capture.Selection().MoveCorner(QPoint(411, 307));
    capture.SelectionChanged();
    auto* size = capture.findChild<QLabel*>(QStringLiteral("lbl_Size"));
    ASSERT_NE(size, nullptr);
    EXPECT_TRUE(size->isVisible());
    EXPECT_EQ(size->text(), QStringLiteral("(400, 300) 12×8"));
    EXPECT_TRUE(capture.rect().contains(size->geometry()));

    // The chosen pixels keep their colours; the rest is darker.
    const QImage shown = capture.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage original = ImageOfPixels(screen);
    EXPECT_EQ(shown.pixel(405, 303), original.pixel(405, 303));
    EXPECT_EQ(shown.pixel(411, 307), original.pixel(411, 307));
    EXPECT_LT(qBlue(shown.pixel(100, 900)), qBlue(original.pixel(100, 900)));
    EXPECT_LT(qBlue(shown.pixel(412, 303)), qBlue(original.pixel(412, 303)));

    // The magnifier is framed: its edge is neither a screen pixel nor the black around them.
    auto* magnifier =
        dynamic_cast<MagnifierView*>(capture.findChild<QWidget*>(QStringLiteral("pic_Magnifier")));
    ASSERT_NE(magnifier, nullptr);
    EXPECT_TRUE(magnifier->isVisible());
    const QImage lens = magnifier->grab().toImage();
    EXPECT_EQ(lens.size(), QSize(15 * 8 + 2 * MagnifierView::kFrame, 15 * 8 + 2 * MagnifierView::kFrame));
    EXPECT_EQ(lens.pixel(1, lens.height() / 2), qRgb(255, 255, 255));
    EXPECT_NE(lens.pixel(MagnifierView::kFrame, lens.height() / 2), qRgb(255, 255, 255));
}

// On the real window manager: the editor moved first comes back exactly there after a capture (chosen,
// cancelled, and maximised), and the check counts the places of the live screen.
TEST(AidWindows, CaptureKeepsTheEditorsPlaceAndCountsPlaces) {
    CaptureEditor editor;
    frm_MacroWindow& w = *editor.window;
    w.show();
    ASSERT_TRUE(WaitUntilFramed(w));
    const QRect before = PlaceWindow(w, QPoint(210, 170));
    ASSERT_TRUE(QRect(150, 110, 120, 120).contains(before.topLeft())) << before.x() << "," << before.y();
    const QPoint frame = w.pos();

    PixelGrid twice = PlainScreen();
    Plant(twice, QPoint(100, 100));
    Plant(twice, QPoint(700, 500));
    editor.desktop->screens = {twice};
    WhenCaptureShown([](CaptureFrm& capture) { ChooseAndConfirm(capture, QPoint(700, 500)); });
    w.Menu_Capture_Click();
    EXPECT_TRUE(WaitFor([&] { return ServerClientRect(w) == before; }))
        << "at " << ServerClientRect(w).x() << "," << ServerClientRect(w).y();
    EXPECT_EQ(w.pos(), frame);
    EXPECT_TRUE(LogLines(w).contains(
        QStringLiteral("FINDIMG: 今の画面の 2 か所で見つかりました。FINDIMG が返すのは (100, 100) です。")))
        << LogLines(w).join(u'\n').toStdString();
    EXPECT_TRUE(w.EditorText().contains(QStringLiteral("' 2 か所で見つかりました（最初は (100, 100)）\n")))
        << w.EditorText().toStdString();

    // Cancelled with Esc: back in its new place, nothing saved.
    const QRect moved = PlaceWindow(w, QPoint(330, 240));
    ASSERT_TRUE(QRect(270, 180, 120, 120).contains(moved.topLeft())) << moved.x() << "," << moved.y();
    const QString text = w.EditorText();
    WhenCaptureShown([](CaptureFrm& capture) { QTest::keyClick(&capture, Qt::Key_Escape); });
    w.Menu_Capture_Click();
    EXPECT_TRUE(WaitFor([&] { return ServerClientRect(w) == moved; }))
        << "at " << ServerClientRect(w).x() << "," << ServerClientRect(w).y();
    EXPECT_EQ(w.EditorText(), text);
    EXPECT_EQ(editor.pictureNamesAsked, 1);

    // Maximised: maximised again, and back to the normal place after.
    w.showMaximized();
    ASSERT_TRUE(WaitFor([&] { return ServerMaximised(w); }));
    WhenCaptureShown([](CaptureFrm& capture) { QTest::keyClick(&capture, Qt::Key_Escape); });
    w.Menu_Capture_Click();
    // Shown again over the whole width, not only marked so (a window manager keeps the mark on a hidden
    // window).
    EXPECT_TRUE(WaitFor(
        [&] { return ServerMaximised(w) && w.isMaximized() && ServerClientRect(w).width() >= 1200; }));
    w.showNormal();
    EXPECT_TRUE(WaitFor([&] { return ServerClientRect(w) == moved; }))
        << "at " << ServerClientRect(w).x() << "," << ServerClientRect(w).y();
}

// The screen changed after the capture (a title bar turned inactive): none found, the question, and a new
// capture after the countdown into the same file, with one FINDIMG line for it.
TEST(AidWindows, CaptureFoundNowhereOffersAnotherAfterTheCountdown) {
    CaptureEditor editor;
    frm_MacroWindow& w = *editor.window;
    w.show();
    ASSERT_TRUE(WaitUntilFramed(w));
    PixelGrid frozen = PlainScreen();
    Plant(frozen, QPoint(300, 200));
    PixelGrid changed = frozen;
    changed.bgra[(static_cast<size_t>(204) * 1280 + 305) * 4] ^= 0x40; // one pixel of the patch
    PixelGrid once = PlainScreen();
    Plant(once, QPoint(640, 480));
    // The first capture, its check, the second capture, its check.
    editor.desktop->screens = {frozen, changed, once, once};
    editor.dialogs.questionAnswers = {kButtonYes};

    QString countdown;
    WhenCaptureShown([&](CaptureFrm& capture) {
        ChooseAndConfirm(capture, QPoint(300, 200));
        // The second capture comes after the countdown window.
        auto* poll = new QTimer(&w);
        QObject::connect(poll, &QTimer::timeout, [&countdown, poll] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QStringLiteral("CaptureCountdown") && top->isVisible()) {
                    countdown = top->findChild<QLabel*>()->text();
                    poll->stop();
                }
        });
        poll->start(20);
        WhenCaptureShown([](CaptureFrm& again) { ChooseAndConfirm(again, QPoint(640, 480)); });
    });
    w.Menu_Capture_Click();
    EXPECT_TRUE(LogLines(w).contains(QStringLiteral("FINDIMG: 今の画面では見つかりませんでした。")))
        << LogLines(w).join(u'\n').toStdString();
    ASSERT_EQ(editor.dialogs.questions.size(), 1u);
    EXPECT_EQ(editor.dialogs.questions[0], CaptureRetakeQuestion(3));
    EXPECT_FALSE(w.EditorText().contains(QStringLiteral("FINDIMG"))) << "no line for the picture taken again";

    ASSERT_TRUE(WaitFor([&] { return w.EditorText().contains(QStringLiteral("FINDIMG")); }, 20000));
    EXPECT_EQ(countdown, QStringLiteral("3 秒後に画面を取り込みます"));
    EXPECT_EQ(editor.pictureNamesAsked, 1) << "taken again into the same file";
    EXPECT_EQ(w.EditorText().count(QStringLiteral("FINDIMG")), 1);
    EXPECT_TRUE(w.EditorText().contains(QStringLiteral("' (640, 480) で見つかりました\n")))
        << w.EditorText().toStdString();
    EXPECT_EQ(QImage(editor.PicturePath()).size(), kPatch);
}

// Taken again and cancelled with Esc: the first picture stays in its file and gets its line all the same.
TEST(AidWindows, CaptureTakenAgainAndCancelledKeepsTheFirstPicturesLine) {
    CaptureEditor editor;
    frm_MacroWindow& w = *editor.window;
    w.show();
    ASSERT_TRUE(WaitUntilFramed(w));
    PixelGrid frozen = PlainScreen();
    Plant(frozen, QPoint(300, 200));
    editor.desktop->screens = {frozen, PlainScreen()};
    editor.dialogs.questionAnswers = {kButtonYes};
    WhenCaptureShown([](CaptureFrm& capture) {
        ChooseAndConfirm(capture, QPoint(300, 200));
        WhenCaptureShown([](CaptureFrm& again) { QTest::keyClick(&again, Qt::Key_Escape); });
    });
    w.Menu_Capture_Click();
    ASSERT_TRUE(WaitFor([&] { return w.EditorText().contains(QStringLiteral("FINDIMG")); }, 20000));
    EXPECT_EQ(w.EditorText().count(QStringLiteral("FINDIMG")), 1);
    EXPECT_TRUE(w.EditorText().contains(QStringLiteral("' 今の画面では見つかりませんでした")))
        << w.EditorText().toStdString();
    EXPECT_EQ(QImage(editor.PicturePath()).size(), kPatch);
}

// Real input from the X server: a drag that starts under the hint (the labels let the mouse through), an
// arrow key, Enter.
TEST(AidWindows, CaptureRectangleChosenWithRealMouseAndKeys) {
    PixelGrid screen = PlainScreen();
    CaptureFrm capture(ImageOfPixels(screen));
    // A guard against a hang: the window closes itself if the input never arrives.
    After(20000, [&] { capture.hide(); });
    QProcess::startDetached(QStringLiteral("sh"),
                            {QStringLiteral("-c"),
                             QStringLiteral("sleep 1; xdotool mousemove 640 24 mousedown 1 sleep 0.2 "
                                            "mousemove 660 40 sleep 0.2 mousemove 700 60 sleep 0.2 mouseup 1 "
                                            "sleep 0.3 key Right sleep 0.3 key Return")});
    const std::optional<QRect> chosen = capture.Choose();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QRect(QPoint(640, 24), QPoint(701, 60)));
}
