// The editor's aids on a real X display: the window information reads an xterm and the root's colour as a
// user sees them, a captured picture is found by FINDIMG where it was taken, and a recording replayed by a
// macro gives a client of ours the same keys and buttons it got from the user, leaving no key held.
#include "capture_frm.h"
#include "editor_dialogs.h"
#include "frm_macro_window.h"
#include "recorder_frm.h"
#include "magnifier_view.h"
#include "window_info_frm.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QTest>

// Xlib's macros (CursorShape, None, …) clash with Qt's widget headers: the X11 side comes after them.
#include "desktop_test_support.h"

#include <X11/keysym.h>

using namespace desktop_testing;

namespace {

QString LabelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

// A window of ours showing a picture no other place of the screen has.
QImage Pattern() {
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) & 0xFF));
    return image;
}

// The key and button lines of the recording client, without positions (compared separately).
std::vector<std::string> KeysAndButtons(const std::vector<std::string>& events) {
    std::vector<std::string> out;
    for (const std::string& line : events) {
        const std::vector<std::string> words = Words(line);
        if (words.size() >= 3 && (words[0] == "key" || words[0] == "button"))
            out.push_back(words[0] + " " + words[1] + " " + words[2]);
    }
    return out;
}

// A picture of the whole test screen, as a person would see it, for looking at.
void SaveScreenshot(const std::string& name) {
    QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
    Shell("import -window root '" + std::string(QM_SCREENSHOT_DIR) + "/" + name + "'");
}

} // namespace

TEST(AidsOnTheDesktop, WindowInformationReadsAnXtermAndTheRootColour) {
    // A patch of one colour of ours, outside the window manager's care (GETWINID never finds such a window).
    QWidget patch(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    patch.setAutoFillBackground(true);
    patch.setPalette(QPalette(QColor(0x12, 0x34, 0x56)));
    patch.setGeometry(1100, 900, 150, 100);
    patch.show();
    TerminalWindow xterm("QmInfoTerm", "情報の端末");
    ASSERT_TRUE(WaitUntil([] { return !Shell("xdotool search --name '^情報の端末$'").empty(); }));
    frm_MacroWindow editor(CreateDesktopPlatform());
    editor.show();
    editor.move(700, 500);
    editor.Menu_WindowInfo_Click();
    WindowInfoFrm* info = editor.WindowInfo();
    ASSERT_NE(info, nullptr);
    info->move(700, 40);

    // The xterm sits at (30, 40) with the geometry TerminalWindow gives it.
    Shell("xdotool mousemove 80 90");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return LabelText(info, "lbl_Title") == QStringLiteral("情報の端末"); }, 5000));
    EXPECT_EQ(LabelText(info, "lbl_Class"), QStringLiteral("QmInfoTerm"));
    QTest::qWait(200);
    SaveScreenshot("window-info.png");
    EXPECT_EQ(LabelText(info, "lbl_Instance"), QStringLiteral("xterm"));
    const unsigned long id = std::stoul(Shell("xdotool search --name '^情報の端末$'"));
    EXPECT_EQ(LabelText(info, "lbl_Handle").toULong(), id);
    const Frame frame = FrameOf(id);
    EXPECT_TRUE(LabelText(info, "lbl_Frame")
                    .startsWith(QStringLiteral("(%1, %2) - (%3, %4)")
                                    .arg(frame.left)
                                    .arg(frame.top)
                                    .arg(frame.left + frame.width)
                                    .arg(frame.top + frame.height)))
        << LabelText(info, "lbl_Frame").toStdString();

    // Over the patch: no window GETWINID could find, and its colour as GETCOLOR gives it (0x00BBGGRR).
    Shell("xdotool mousemove 1150 950");
    EXPECT_TRUE(QTest::qWaitFor([&] { return LabelText(info, "lbl_Class") == QStringLiteral("-"); }, 5000));
    (void)QTest::qWaitFor([&] { return LabelText(info, "lbl_Colour").startsWith(QStringLiteral("5649426")); },
                          5000);
    EXPECT_EQ(LabelText(info, "lbl_Colour").toStdString(), "5649426 = &H563412 (R 18, G 52, B 86)");
    info->close();
}

TEST(AidsOnTheDesktop, CapturedPictureIsFoundWhereItWasTaken) {
    QLabel shown;
    shown.setPixmap(QPixmap::fromImage(Pattern()));
    shown.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    shown.setGeometry(333, 222, 64, 48);
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    QTest::qWait(300);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("切り取り.png"));
    frm_MacroWindow editor(CreateDesktopPlatform());
    EditorDialogs dialogs = RealEditorDialogs(&editor);
    dialogs.savePictureName = [&](const QString&) { return path; };
    editor.SetDialogs(dialogs);
    PixelGrid screen;
    ASSERT_EQ(CreateDesktopPlatform()->CaptureScreen(screen), 0);
    const QRect rect(QPoint(340, 230), QPoint(379, 259));
    {
        // The capture window as the user sees it, a rectangle being chosen.
        CaptureFrm capture(ImageOfPixels(screen));
        capture.setGeometry(0, 0, 1280, 1024);
        capture.show();
        capture.Selection().Start(rect.topLeft());
        capture.Selection().MoveCorner(rect.bottomRight());
        capture.SelectionChanged();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&capture));
        QTest::qWait(300);
        SaveScreenshot("capture.png");
    }
    ASSERT_TRUE(editor.SaveCapturedPicture(screen, rect));

    // The file holds exactly those screen pixels.
    const QImage saved(path);
    ASSERT_EQ(saved.size(), rect.size());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), Pattern().copy(rect.translated(-333, -222)));
    // FINDIMG finds it there, and the inserted line says so.
    DesktopMacro macro;
    EXPECT_EQ(macro.Run({"FINDIMG \"" + path.toStdString() + "\"", "PRINT IMG_X", "PRINT IMG_Y"}), 0);
    EXPECT_EQ(macro.printed, (std::vector<std::string>{"340", "230"}));
    EXPECT_TRUE(editor.EditorText().contains(QStringLiteral("(340, 230) で見つかりました")))
        << editor.EditorText().toStdString();
}

TEST(AidsOnTheDesktop, RecordingReplaysIntoTheSameEvents) {
    Recorder target("QmAidsTarget", "aids-target", 400, 300);
    ASSERT_NE(target.Window(), 0u);
    const Frame frame = FrameOf(target.Window());
    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    QStringList lines;
    RecorderFrm recorder(desktop.get(), nullptr, [&](const QStringList& l) { lines = l; });
    recorder.show();
    recorder.move(800, 600);
    ASSERT_TRUE(recorder.Start());

    // What the user does: a click, keys with Shift, a drag.
    const std::string x = std::to_string(frame.left + 60);
    const std::string y = std::to_string(frame.top + 60);
    Shell("xdotool mousemove " + x + " " + y + " click 1");
    Shell("xdotool key --delay 60 a b shift+c");
    Shell("xdotool mousedown 1 mousemove_relative 50 0 mousemove_relative 60 20 mouseup 1");
    ASSERT_TRUE(target.WaitForEvents("button", 4));
    QTest::qWait(400);
    SaveScreenshot("recorder.png");
    recorder.Finish();
    ASSERT_FALSE(lines.isEmpty());
    const std::vector<std::string> byUser = KeysAndButtons(target.Events());

    // Replayed by a macro from the same starting place.
    Shell("xdotool mousemove 5 5");
    const size_t before = target.Events().size();
    DesktopMacro macro;
    std::vector<std::string> text;
    for (const QString& line : lines) text.push_back(line.toStdString());
    EXPECT_EQ(macro.Run(text), 0) << lines.join(QStringLiteral(" | ")).toStdString();
    ASSERT_TRUE(WaitUntil([&] { return target.Events().size() >= before + byUser.size(); }));
    QTest::qWait(300);
    std::vector<std::string> all = target.Events();
    const std::vector<std::string> replayed =
        KeysAndButtons(std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()));
    std::string seen;
    for (size_t i = before; i < all.size(); ++i) seen += all[i] + "; ";
    EXPECT_EQ(replayed, byUser) << lines.join(QStringLiteral(" | ")).toStdString() << "\n" << seen;

    // Nothing is left held.
    macro.Close();
    Probe probe;
    for (const KeySym key : {XK_Shift_L, XK_a, XK_b, XK_c}) EXPECT_FALSE(probe.KeysymDown(key));
    EXPECT_EQ(probe.PointerMask() & (Button1Mask | Button2Mask | Button3Mask), 0u);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
