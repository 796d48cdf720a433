// The capture of a picture for FINDIMG: the check's report and the size label, the capture mode's overlays,
// the editor kept in its place on the real window manager, the count of places, the offer to take it again.
#include "capture_frm.h"
#include "capture_steps.h"
#include "editor_test_support.h"
#include "magnifier_view.h"
#include "scripted_desktop.h"
#include "window_manager_waits.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

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
// The window manager answers in its own time (late on a busy machine), so the window must first leave the
// place it had and then keep its new one for a tenth of a second, as the X server and Qt both see it.
QRect PlaceWindow(QWidget& window, QPoint at) {
    const QRect start = ServerClientRect(window);
    window.move(at);
    QRect last;
    QElapsedTimer steady;
    (void)WaitFor([&] {
        const QRect now = ServerClientRect(window);
        if (now == start || now != window.geometry()) {
            last = QRect();
            return false;
        }
        if (now != last) {
            last = now;
            steady.start();
            return false;
        }
        return steady.elapsed() >= 100;
    });
    return last;
}

} // namespace

// The cases the window tests below do not reach: the reason named when nothing matches, more places than
// are counted, and a picture that could not be compared at all.
TEST(CaptureTool, CheckReportsTheReasonTheLimitAndAFailedComparison) {
    EXPECT_TRUE(
        CaptureCheckReportOf(ImageMatchCount{}).log.join(u'\n').contains(QStringLiteral("アクティブ")));
    const CaptureCheckReport many = CaptureCheckReportOf(ImageMatchCount{100, true, 0, 0});
    EXPECT_TRUE(many.comment.startsWith(QStringLiteral("100 か所以上で見つかりました")))
        << many.comment.toStdString();
    EXPECT_TRUE(many.log.last().contains(QStringLiteral("大きな範囲"))) << "a hint to cut a larger rectangle";

    const CaptureCheckReport unchecked = CaptureCheckReportOf(std::nullopt);
    EXPECT_FALSE(unchecked.offerRetake) << "a file not read back is no change of the screen";
    EXPECT_FALSE(unchecked.comment.contains(QStringLiteral("見つかりました")));
}

// A name taken in any form is not suggested (a link that leads nowhere included), and a link is never
// written through: the picture would land wherever the link points.
TEST(CaptureTool, PictureNamesSkipLinksAndLinksAreNotWrittenThrough) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("picture1.png"))).open(QIODevice::WriteOnly));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.png"));
    ASSERT_TRUE(QFile::link(elsewhere, dir.filePath(QStringLiteral("picture2.png"))));
    EXPECT_EQ(SuggestedPicturePath(dir.path()), dir.filePath(QStringLiteral("picture3.png")));

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    EXPECT_FALSE(WritePng(picture, dir.filePath(QStringLiteral("picture2.png"))));
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    ASSERT_TRUE(WritePng(picture, dir.filePath(QStringLiteral("picture3.png"))));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("picture3.png"))).size(), QSize(4, 3));
}

TEST(CaptureTool, SizeLabelStaysOnTheScreen) {
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

TEST(CaptureTool, ModeShowsHintSizeDimmingAndAFramedMagnifier) {
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
TEST(CaptureTool, KeepsTheEditorsPlaceAndCountsPlaces) {
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
TEST(CaptureTool, FoundNowhereOffersAnotherAfterTheCountdown) {
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
TEST(CaptureTool, TakenAgainAndCancelledKeepsTheFirstPicturesLine) {
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
TEST(CaptureTool, RectangleChosenWithRealMouseAndKeys) {
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
