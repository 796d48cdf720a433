// Saves PNG pictures of the main window (idle, during a run, after an error, paused with the debugger's
// panes, with the find bar and the gutter), of the recovery question, of the open 編集 and ヘルプ menus, of
// the capture mode and its countdown under build/screenshots/ so a person can look at them; each must be a
// real picture with more than one colour.
#include "block_matcher.h"
#include "capture_frm.h"
#include "debug_panes.h"
#include "editor_test_support.h"
#include "find_bar.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

int ColourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

// A window that has only just been shown (a modal box seen by the polling timer) may not be drawn yet on a
// loaded machine: it is grabbed once the display shows it and it has more than a plain background.
QImage GrabWhenDrawn(QWidget& window) {
    QImage image;
    WaitFor(
        [&] {
            if (window.windowHandle() != nullptr && !window.windowHandle()->isExposed()) return false;
            image = window.grab().toImage();
            return ColourCount(image) > 8;
        },
        5000);
    return image.isNull() ? window.grab().toImage() : image;
}

void Save(QWidget& window, const QString& name) {
    QDir().mkpath(QStringLiteral(QM_SCREENSHOT_DIR));
    const QString path = QDir(QStringLiteral(QM_SCREENSHOT_DIR)).filePath(name);
    const QImage image = GrabWhenDrawn(window);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    const QImage back(path);
    EXPECT_EQ(back.size(), window.size());
    EXPECT_GT(ColourCount(back), 8);
}

} // namespace

TEST(Screenshots, IdleRunningAndAfterError) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("' 合計を求めます\nDIM i, total\ntotal = 0\nFOR i = 1 TO 10\n"
                                              "    total = total + i\nNEXT\nPRINT \"合計 = \" + STR(total)"));
    w->Menu_Run_Click();
    Save(*w, QStringLiteral("editor_idle.png"));

    w->txt_Macro->setPlainText(QStringLiteral("PRINT \"ループ中\"\nWHILE 1\nWEND"));
    After(300, [&] {
        Save(*w, QStringLiteral("editor_running.png"));
        w->Menu_Stop_Click();
    });
    w->Menu_Run_Click();

    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1\nPRINT 未定義の名前\nPRINT 3"));
    w->Menu_Run_Click();
    Save(*w, QStringLiteral("editor_error.png"));
}

// A run paused at a breakpoint inside a function: the line marked, the status strip, the 変数 and
// 呼び出し履歴 panes beside the log, a value changed since the last pause, and a line evaluated in the 式
// field.
TEST(Screenshots, PausedRunWithTheDebuggerPanes) {
    TestWindow w;
    w->resize(760, 560);
    w->txt_Macro->setPlainText(QStringLiteral("DIM total, names(3)\nnames(1) = \"メモ帳\"\ntotal = Sum(4)\n"
                                              "PRINT total\nFUNCTION Sum(n)\n  DIM i, s\n  FOR i = 1 TO n\n"
                                              "    s = s + i\n  NEXT\n  Sum = s\nEND FUNCTION"));
    w->txt_Macro->SetBreakpoints({8});
    int pauses = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!w->IsPaused()) return;
        if (++pauses < 3) { // the third time round the loop: S has changed since the last pause
            w->Menu_Continue_Click();
            return;
        }
        look.stop();
        w->pic_Debug->Expression()->setText(QStringLiteral("s * 10 + n"));
        w->pic_Debug->Evaluate();
        QApplication::processEvents();
        Save(*w, QStringLiteral("editor_debugger_paused.png"));
        w->Menu_Stop_Click();
    });
    look.start(20);
    w->Menu_Run_Click();
    EXPECT_EQ(pauses, 3);
}

TEST(Screenshots, RecoveryQuestion) {
    TestWindow w;
    const EditorDialogs real = RealEditorDialogs(w.window.get());
    bool saved = false;
    WhenModalShown([&](QWidget* modal) {
        Save(*modal, QStringLiteral("recovery_question.png"));
        saved = true;
        if (auto* discard = modal->findChild<QPushButton*>(QStringLiteral("discardButton"))) discard->click();
    });
    EXPECT_FALSE(
        real.askRestore(QStringLiteral("前回保存されずに終了したマクロがあります。\n復元しますか？")));
    EXPECT_TRUE(saved);
}

TEST(Screenshots, FindBarGutterAndPairs) {
    TestWindow w;
    QStringList lines{QStringLiteral("' 表を作ります"), QStringLiteral("DIM i, j")};
    for (int k = 0; k < 9; ++k) lines << QStringLiteral("PRINT \"行 %1\"").arg(k + 1);
    lines << QStringLiteral("FOR i = 1 TO 3") << QStringLiteral("    FOR j = 1 TO 2")
          << QStringLiteral("        PRINT STR(i * (j + 1))") << QStringLiteral("    NEXT")
          << QStringLiteral("NEXT");
    w->txt_Macro->setPlainText(lines.join(u'\n'));
    w->txt_Macro->Matcher()->ParseNow();
    w->bar_Find->OpenReplace();
    w->bar_Find->FindBox()->setText(QStringLiteral("NEXT"));
    w->bar_Find->ReplaceBox()->setText(QStringLiteral("NEXT j"));
    w->bar_Find->FindNext();
    w->txt_Macro->moveCursor(QTextCursor::StartOfBlock);
    QApplication::processEvents();
    ASSERT_EQ(w->txt_Macro->MatchSelections().size(), 2);
    Save(*w, QStringLiteral("editor_find_bar.png"));
}

// The 編集 menu open, with the keys beside its items.
TEST(Screenshots, EditMenuWithItsKeys) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    w->txt_Macro->selectAll();
    w->mnuEdit->popup(w->mapToGlobal(QPoint(40, 20)));
    ASSERT_TRUE(WaitFor([&] { return w->mnuEdit->isVisible(); }));
    Save(*w->mnuEdit, QStringLiteral("editor_edit_menu.png"));
    w->mnuEdit->close();
}

// The ヘルプ menu open.
TEST(Screenshots, HelpMenu) {
    TestWindow w;
    w->Menu_Etc->popup(w->mapToGlobal(QPoint(160, 20)));
    ASSERT_TRUE(WaitFor([&] { return w->Menu_Etc->isVisible(); }));
    Save(*w->Menu_Etc, QStringLiteral("editor_help_menu.png"));
    w->Menu_Etc->close();
}

// The capture mode over a desktop with the editor on it: the hint, the rest of the screen dimmed around the
// rectangle, its position and size, and the magnifier at its moving corner.
TEST(Screenshots, CaptureMode) {
    TestWindow w;
    w->txt_Macro->setPlainText(
        QStringLiteral("' 画面から画像を探します\nFINDIMG \"button.png\"\nPRINT IMG_X"));
    QApplication::processEvents();
    QImage desktop(1280, 1024, QImage::Format_RGB32);
    desktop.fill(QColor(0x3A, 0x6E, 0xA5));
    {
        QPainter painter(&desktop);
        painter.drawImage(QPoint(240, 180), GrabWhenDrawn(*w));
    }
    CaptureFrm capture(desktop);
    capture.setGeometry(0, 0, 1280, 1024);
    capture.show();
    ASSERT_TRUE(
        WaitFor([&] { return capture.windowHandle() != nullptr && capture.windowHandle()->isExposed(); }));
    // The tool strip's first buttons, as a user would cut them for FINDIMG.
    capture.Selection().Start(QPoint(242, 205));
    capture.Selection().MoveCorner(QPoint(300, 228));
    capture.SelectionChanged();
    Save(capture, QStringLiteral("capture_mode.png"));
}

// The countdown before a delayed capture, in the screen's top-right corner.
TEST(Screenshots, CaptureCountdown) {
    CaptureCountdown countdown;
    bool saved = false;
    After(300, [&] {
        Save(countdown, QStringLiteral("capture_countdown.png"));
        saved = true;
    });
    countdown.Run(1);
    EXPECT_TRUE(saved);
    EXPECT_FALSE(countdown.isVisible()) << "off the screen before the capture";
}
