// Tests of the main window's shape: start geometry, menus and tool buttons, the splitter's drag limits, the
// log keeping its height and the grow-back of a too short window, the log's line limit and the status strip.
#include "auto_input_frm.h"
#include "editor_test_support.h"
#include "find_bar.h"
#include "window_info_frm.h"
#include "window_manager_waits.h"

#include <QApplication>
#include <QMenuBar>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

QStringList Captions(const QMenu* menu) {
    QStringList list;
    for (const QAction* action : menu->actions())
        list << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return list;
}

// Calls `action` with the next message box once one is shown over whatever modal window is open.
void WhenQuestionShown(std::function<void(QMessageBox*)> action) {
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        timer->stop();
        timer->deleteLater();
        action(box);
    });
    timer->start(20);
}

void Answer(QMessageBox* box, int32_t number) {
    for (QAbstractButton* button : box->buttons())
        if (button->property("buttonNumber").toInt() == number) button->click();
}

void DragSplitter(frm_MacroWindow& w, int fromY, int toY) {
    QWidget* bar = w.pic_Sep;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(10, fromY));
    QMouseEvent move(QEvent::MouseMove, QPointF(10, toY), bar->mapToGlobal(QPointF(10, toY)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(10, toY));
}

std::string Sizes(frm_MacroWindow& w) {
    const QSize server = ServerSize(w);
    return QStringLiteral("X server %1x%2, Qt %3x%4, client height %5")
        .arg(server.width())
        .arg(server.height())
        .arg(w.width())
        .arg(w.height())
        .arg(w.Client()->height())
        .toStdString();
}

} // namespace

TEST(WindowLayout, StartGeometryCaptionAndFont) {
    TestWindow w;
    EXPECT_EQ(w->Client()->size(), QSize(550, 316));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ"));
    EXPECT_EQ(w->pic_Tool->geometry(), QRect(0, 0, 550, 25));
    EXPECT_EQ(w->txt_Macro->geometry(), QRect(0, 24, 550, 192));
    EXPECT_EQ(w->pic_Sep->geometry(), QRect(0, 216, 550, 4));
    EXPECT_EQ(w->txt_Log->geometry(), QRect(0, 220, 550, 79));
    EXPECT_EQ(w->pic_Msg->geometry(), QRect(0, 299, 550, 17));
    EXPECT_EQ(w->LowerPaneHeight(), 83);
    EXPECT_EQ(w->MinPaneHeight(), 2 * QFontMetrics(w->font()).height());
    EXPECT_EQ(w->TabSize(), 4);
    EXPECT_EQ(w->txt_Macro->objectName(), QStringLiteral("txt_Macro"));
    EXPECT_TRUE(w->txt_Log->isReadOnly());
    // The install script provides IPAGothic where the Windows font is missing.
    EXPECT_TRUE(w->font().family() == QStringLiteral("ＭＳ ゴシック") ||
                w->font().family() == QStringLiteral("IPAGothic"))
        << w->font().family().toStdString();
    EXPECT_EQ(w->txt_Macro->font().family(), w->font().family());
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), 9.75);
}

TEST(WindowLayout, MenusCaptionsAndShortcuts) {
    TestWindow w;
    QStringList top;
    for (const QAction* a : w->menuBar()->actions()) top << a->text();
    EXPECT_EQ(top, (QStringList{"ファイル(&F)", "編集(&E)", "実行(&E)", "ツール(&T)", "ヘルプ(&H)"}));
    EXPECT_EQ(Captions(w->Menu_File), (QStringList{"新規作成(&N)", "開く(&O)", "保存(&S)", "-", "終了(&X)"}));
    EXPECT_EQ(Captions(w->mnuEdit),
              (QStringList{"元に戻す(&U)", "やり直し(&Y)", "-", "切り取り(&T)", "コピー(&C)", "貼り付け(&V)",
                           "-", "すべて選択", "-", "検索(&F)", "次を検索(&N)", "前を検索(&P)", "置換(&R)",
                           "行へ移動(&G)", "-", "コメント(&M)", "インデント(&I)", "インデント解除(&D)",
                           "拡大/縮小(&Z)"}));
    EXPECT_EQ(Captions(w->mnuZoom), (QStringList{"拡大(&I)", "縮小(&O)", "元の大きさ(&R)"}));
    // The run menu's own three items, then the debugger's.
    EXPECT_EQ(Captions(w->Menu_Execute),
              (QStringList{"先頭から実行(&R)", "強制停止(&S)", "関数呼び出し(&F)", "-", "一時停止(&P)",
                           "続行(&C)", "ステップ実行(&O)", "ステップイン(&I)", "ステップアウト(&U)",
                           "カーソル行まで実行(&T)", "-", "ブレークポイントの設定/解除(&B)"}));
    EXPECT_EQ(w->Menu_Continue->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(w->Menu_StepOver->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(w->Menu_StepInto->shortcut(), QKeySequence(Qt::Key_F11));
    EXPECT_EQ(w->Menu_StepOut->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F11));
    EXPECT_EQ(w->Menu_RunToCursor->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F10));
    EXPECT_EQ(w->Menu_Breakpoint->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(Captions(w->Menu_Config),
              (QStringList{"MUS/KBD高速入力", "-", "タブサイズ(&T)", "フォント(&F)", "デバッグのクリア(&C)",
                           "同期実行(&S)", "-", "ウィンドウ情報(&W)", "画像の切り取り(&P)",
                           "3秒後に画像の切り取り(&L)", "記録(&R)"}));
    EXPECT_EQ(Captions(w->Menu_Etc),
              (QStringList{"関数ビューア(&F)", "使い方ガイド(&G)", "-", "Quillonタイプ・ソース投稿",
                           "他にも様々なソフトを公開しています", "-", "バージョン情報"}));
    EXPECT_EQ(w->Menu_Run->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(w->mnuAllSelect->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(w->Menu_End->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));
    EXPECT_EQ(w->Menu_New->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(w->Menu_Open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(w->Menu_Save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(w->mnuFind->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(w->mnuFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(w->mnuFindPrevious->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    EXPECT_EQ(w->mnuReplace->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    EXPECT_EQ(w->mnuGoToLine->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_EQ(w->Menu_MacroHelp->shortcut(), QKeySequence(Qt::Key_F1));
    // The editor's own keys, shown beside their items; the keys stay the editor's (see EditorKeys).
    const std::pair<QAction*, QKeySequence> editorKeys[] = {
        {w->mnuUndo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {w->mnuRedo, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {w->mnuCut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {w->mnuCopy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {w->mnuPaste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {w->mnuComment, QKeySequence(Qt::CTRL | Qt::Key_Slash)},
        {w->mnuIndent, QKeySequence(Qt::Key_Tab)},
        {w->mnuOutdent, QKeySequence(Qt::SHIFT | Qt::Key_Tab)},
        {w->mnuZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {w->mnuZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        {w->mnuZoomReset, QKeySequence(Qt::CTRL | Qt::Key_0)},
    };
    for (const auto& [item, key] : editorKeys) {
        EXPECT_EQ(item->shortcut(), key) << item->text().toStdString();
        EXPECT_EQ(item->shortcutContext(), Qt::WidgetShortcut) << item->text().toStdString();
    }
    EXPECT_FALSE(w->Menu_Font->isVisible());
    EXPECT_FALSE(w->Menu_Sync->isVisible());
    EXPECT_FALSE(w->Menu_Sync->isChecked());
}

TEST(WindowLayout, ToolButtons) {
    TestWindow w;
    const char* tags[] = {"New",      "Open",     "Save",     "Run",     "Stop",       "Pause",
                          "Continue", "StepOver", "StepInto", "StepOut", "RunToCursor"};
    const char* tips[] = {"新しいマクロ",      "開く", "保存",         "実行",         "停止",
                          "一時停止",          "続行", "ステップ実行", "ステップイン", "ステップアウト",
                          "カーソル行まで実行"};
    const int xs[] = {8, 30, 52, 80, 104, 132, 154, 176, 198, 220, 242};
    // Idle: Stop is off, and of the debugger's only those that start a run (the two steps and running to
    // the caret's line) are on.
    const bool enabled[] = {true, true, true, true, false, false, false, true, true, false, true};
    ASSERT_EQ(w->btn_ToolBar.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        QToolButton* b = w->btn_ToolBar[i];
        EXPECT_EQ(b->property("tag").toString(), QString::fromLatin1(tags[i]));
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(tips[i]));
        EXPECT_EQ(b->accessibleName(), QString::fromUtf8(tips[i]));
        EXPECT_EQ(b->geometry(), QRect(xs[i], 2, 22, 22));
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_FALSE(b->icon().pixmap(16, 16).isNull());
        EXPECT_EQ(b->isEnabled(), enabled[i]) << i;
    }
}

TEST(WindowLayout, SplitterDragStopsAtBothMinimumHeights) {
    TestWindow w;
    const int minimum = w->MinPaneHeight();
    DragSplitter(*w, 2, -500);
    EXPECT_EQ(w->pic_Sep->y(), 24 + minimum);
    EXPECT_EQ(w->txt_Macro->height(), minimum);
    EXPECT_EQ(w->txt_Log->y(), 24 + minimum + 4);
    EXPECT_EQ(w->LowerPaneHeight(), 299 - (24 + minimum));
    DragSplitter(*w, 2, 2000);
    EXPECT_EQ(w->pic_Sep->y(), 316 - minimum - 4);
    // The bottom rule leaves the log its minimum measured to the client's bottom edge.
    EXPECT_EQ(w->txt_Log->height(), minimum - 17);
    DragSplitter(*w, 2, -48);
    EXPECT_EQ(w->pic_Sep->y(), 316 - minimum - 4 - 50);
    EXPECT_EQ(w->pic_Sep->y() + 4 + w->txt_Log->height(), 299);
}

TEST(WindowLayout, ResizeKeepsTheLogAndGrowsBackWhenTooShort) {
    TestWindow w;
    // The window manager places a new window with the size it was shown with, and that answer can reach the
    // program after a resize asked right after showing it; its answer to the resize comes later, much later
    // on a loaded machine. So the resizes start once the window is framed, and each check waits until the X
    // server holds the size asked for and Qt has taken that answer in, not for Qt's own idea of it, which it
    // changes at once and again with each older answer.
    ASSERT_TRUE(WaitUntilFramed(*w));
    const QSize outer = w->size();
    const int menuHeight = outer.height() - w->Client()->height();
    const QSize larger(outer.width() + 100, outer.height() + 120);
    w->resize(larger);
    ASSERT_TRUE(WaitForServerSize(*w, larger, [&] { return w->Client()->height() == 436; })) << Sizes(*w);
    EXPECT_EQ(w->txt_Log->height(), 79);
    EXPECT_EQ(w->txt_Macro->height(), 192 + 120);
    EXPECT_EQ(w->txt_Macro->width(), 650);
    EXPECT_EQ(w->pic_Msg->y(), 436 - 17);

    // Far too short: the window grows back so the editor keeps its minimum and the log its height.
    w->resize(outer.width(), 150);
    const int needed = 24 + w->MinPaneHeight() + 83 + 17;
    ASSERT_TRUE(WaitForServerSize(*w, QSize(outer.width(), needed + menuHeight),
                                  [&] { return w->Client()->height() == needed; }))
        << Sizes(*w) << ", needed " << needed + menuHeight;
    EXPECT_EQ(w->txt_Macro->height(), w->MinPaneHeight());
    EXPECT_EQ(w->txt_Log->height(), 79);
}

// The window manager's answers to the short size and to the grown one reach the program together, as they do
// when the program is slow to take them in on a loaded machine: the panes must follow the window's last size.
TEST(WindowLayout, GrowsBackWhenTheWindowManagersAnswersArriveTogether) {
    TestWindow w;
    ASSERT_TRUE(WaitUntilFramed(*w));
    const QSize outer = w->size();
    const int menuHeight = outer.height() - w->Client()->height();
    const int needed = 24 + w->MinPaneHeight() + 83 + 17;
    const QSize grown(outer.width(), needed + menuHeight);
    w->resize(outer.width(), 150);
    // Once the editor has asked for the grown size, the window manager answers both requests while the
    // program takes in none of the answers.
    ASSERT_TRUE(WaitFor([&] { return w->height() == grown.height(); })) << Sizes(*w);
    FlushRequests();
    ASSERT_TRUE(ServerReaches(*w, grown)) << Sizes(*w);
    ASSERT_TRUE(WaitForServerSize(*w, grown, [&] { return w->Client()->height() == needed; }))
        << Sizes(*w) << ", needed " << needed + menuHeight;
    EXPECT_EQ(w->txt_Macro->height(), w->MinPaneHeight());
    EXPECT_EQ(w->txt_Log->height(), 79);
}

TEST(WindowLog, KeepsAboutAHundredLinesAndDropsOneAtATime) {
    TestWindow w;
    for (int i = 1; i <= 100; ++i) w->AppendLog(QStringLiteral("line %1").arg(i));
    QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.first(), QStringLiteral("line 1"));
    w->AppendLog(QStringLiteral("line 101"));
    lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.first(), QStringLiteral("line 2"));
    EXPECT_EQ(lines.last(), QStringLiteral("line 101"));
    // The new text is selected, so it is in view.
    EXPECT_EQ(w->txt_Log->textCursor().selectedText(), QStringLiteral("line 101"));

    // A text of many lines at once: each later append drops only one line.
    w->ClearLog();
    QStringList block;
    for (int i = 0; i < 130; ++i) block << QStringLiteral("b%1").arg(i);
    w->AppendLog(block.join(QStringLiteral("\r\n")));
    EXPECT_EQ(LogLines(*w).size(), 130);
    w->AppendLog(QStringLiteral("next"));
    lines = LogLines(*w);
    EXPECT_EQ(lines.size(), 130);
    EXPECT_EQ(lines.first(), QStringLiteral("b1"));
    w->Menu_LogClear_Click();
    EXPECT_TRUE(w->txt_Log->toPlainText().isEmpty());
}

TEST(WindowStatus, CaretLineAndLogLineActivation) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("a\nb\nc\nd"));
    QTextCursor cursor(w->txt_Macro->document()->findBlockByNumber(2));
    w->txt_Macro->setTextCursor(cursor);
    w->ShowCaretLine();
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝3"));

    EXPECT_EQ(LogTextEdit::LineNumberOfLogLine(QStringLiteral("行=12")), 12);
    EXPECT_EQ(LogTextEdit::LineNumberOfLogLine(QStringLiteral("行=x")), 0);
    EXPECT_EQ(LogTextEdit::LineNumberOfLogLine(QStringLiteral("PRINT 行=3")), 0);

    w->AppendLog(QStringLiteral("構文が正しくありません"));
    w->AppendLog(QStringLiteral("行=4"));
    const QTextBlock block = w->txt_Log->document()->findBlockByNumber(1);
    QTextCursor at(block);
    at.movePosition(QTextCursor::Right);
    const QPoint point = w->txt_Log->cursorRect(at).center();
    QTest::mouseDClick(w->txt_Log->viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 3);
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝4"));
}

// The strip follows the caret however it moves: lines of the window information (GETCOLOR leaves the caret
// inside its IF block) and of the quick-input dialog (applied with Ctrl+Enter), an undo, a replace, and the
// end of a run stopped by Esc while Shift was down.
TEST(WindowStatus, CaretLineAfterEveryKindOfInsertAndAfterAStoppedRun) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("a\nb\nc"));
    w->txt_Macro->moveCursor(QTextCursor::End);
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝3"));

    w->Menu_WindowInfo_Click();
    WindowInfoFrm* info = w->WindowInfo();
    ASSERT_NE(info, nullptr);
    info->SetFrozen(true);
    info->findChild<QPushButton*>(QStringLiteral("btn_GetColor"))->click();
    EXPECT_EQ(w->EditorText(), QStringLiteral("a\nb\nc\nIF GETCOLOR(0, 0) = -1 THEN\n\t\nEND IF"));
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 4);
    EXPECT_EQ(w->txt_Macro->textCursor().positionInBlock(), 1);
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝5"));
    // Esc closes the window information.
    info->activateWindow();
    QTest::keyClick(info, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return w->WindowInfo() == nullptr; }));

    // The Ctrl that starts Ctrl+Enter in the text area is not kept as a line.
    WhenModalShown([](QWidget* dialog) {
        auto* area = dialog->findChild<QPlainTextEdit*>(QStringLiteral("InputTxt"));
        QTest::keyClick(area, Qt::Key_A);
        // QTest presses Ctrl on its own first, then Enter with Ctrl down, as a keyboard does.
        QTest::keyClick(area, Qt::Key_Return, Qt::ControlModifier);
    });
    w->menu_MusKbd->trigger();
    EXPECT_EQ(w->EditorText(),
              QStringLiteral("a\nb\nc\nIF GETCOLOR(0, 0) = -1 THEN\n\tMUSORG 1\nKBD VK_A,PRESS,0\n\nEND IF"))
        << w->EditorText().toStdString();
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝7"));
    w->txt_Macro->undo();
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝5"));

    w->bar_Find->OpenReplace();
    w->bar_Find->FindBox()->setText(QStringLiteral("b"));
    w->bar_Find->ReplaceBox()->setText(QStringLiteral("bb"));
    w->bar_Find->ReplaceCurrent();
    w->bar_Find->ReplaceCurrent();
    EXPECT_TRUE(w->EditorText().startsWith(QStringLiteral("a\nbb\n")));
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝2"));

    w->txt_Macro->setPlainText(QStringLiteral("WHILE 1\nWEND"));
    w->txt_Macro->moveCursor(QTextCursor::End);
    After(300, [&] { QTest::keyClick(w.window.get(), Qt::Key_Escape, Qt::ShiftModifier); });
    QTimer fallback; // a run Esc did not stop ends all the same, and the test fails
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [&] { w->Menu_Stop_Click(); });
    fallback.start(5000);
    w->Menu_Run_Click();
    EXPECT_TRUE(fallback.isActive()) << "Esc did not stop the run";
    fallback.stop();
    EXPECT_EQ(w->Macro().Error().ErrorCode(), 100);
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝2"));
}

// Closing the quick-input dialog with lines not yet applied asks first: キャンセル keeps the dialog, いいえ
// closes it without them, はい applies them.
TEST(WindowLayout, QuickInputAsksBeforeDroppingLinesNotApplied) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("x"));
    QStringList asked;
    bool keptOpen = false;
    WhenModalShown([&](QWidget* dialog) {
        QTest::keyClick(dialog->findChild<QPlainTextEdit*>(QStringLiteral("InputTxt")), Qt::Key_B);
        WhenQuestionShown([&](QMessageBox* box) {
            asked << box->text();
            Answer(box, kButtonCancel);
        });
        dialog->findChild<QPushButton*>(QStringLiteral("CloseBtn"))->click();
        keptOpen = dialog->isVisible();
        WhenQuestionShown([&](QMessageBox* box) {
            asked << box->text();
            Answer(box, kButtonNo);
        });
        dialog->close(); // the window's close button
    });
    w->menu_MusKbd->trigger();
    EXPECT_TRUE(keptOpen);
    EXPECT_EQ(asked, QStringList(2, AutoInputFrm::UnappliedLinesQuestion()));
    EXPECT_EQ(AutoInputFrm::UnappliedLinesQuestion(),
              QStringLiteral("適用していない行があります。\n適用して閉じますか？"));
    EXPECT_EQ(w->EditorText(), QStringLiteral("x"));

    WhenModalShown([&](QWidget* dialog) {
        QTest::keyClick(dialog->findChild<QPlainTextEdit*>(QStringLiteral("InputTxt")), Qt::Key_B);
        WhenQuestionShown([](QMessageBox* box) { Answer(box, kButtonYes); });
        dialog->findChild<QPushButton*>(QStringLiteral("CloseBtn"))->click();
    });
    w->menu_MusKbd->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("MUSORG 1\nKBD VK_B,PRESS,0\nx"));

    // Nothing recorded: closing asks nothing.
    asked.clear();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked << box->text();
            Answer(box, kButtonNo);
        }
    });
    watch.start(20);
    WhenModalShown(
        [](QWidget* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("CloseBtn"))->click(); });
    w->menu_MusKbd->trigger();
    watch.stop();
    EXPECT_TRUE(asked.isEmpty());
}

TEST(WindowLayout, QuickInputItemOpensTheDialogModallyOverTheEditor) {
    TestWindow w;
    QString opened;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        opened = modal->metaObject()->className();
        modal->close();
    });
    w->menu_MusKbd->trigger();
    EXPECT_EQ(opened, QStringLiteral("AutoInputFrm"));
}
