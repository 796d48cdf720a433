// Tests of the editing commands on a real window: find, replace and go to line, and keys kept inside the find
// bar; Tab, Shift+Tab, Enter, Ctrl+/, Ctrl+Y and F1 through key events, and the 編集 items; block-word and
// bracket highlights at the caret; zoom; and the gutter and find bar fitting inside the fixed editor pane.
#include "block_matcher.h"
#include "editor_test_support.h"
#include "find_bar.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

// Puts the text in the editor and the caret at (line, column), both from 0; the window is made active and
// the editor gets the focus, so key events reach it as typed keys would.
void SetText(TestWindow& w, const QString& text, int line, int column) {
    w->txt_Macro->setPlainText(text);
    QTextCursor cursor(w->txt_Macro->document()->findBlockByNumber(line));
    cursor.setPosition(cursor.position() + column);
    w->txt_Macro->setTextCursor(cursor);
}

void Prepare(TestWindow& w, const QString& text, int line = 0, int column = 0) {
    SetText(w, text, line, column);
    w->activateWindow();
    w->txt_Macro->setFocus();
    ASSERT_TRUE(WaitFor([&] { return w->txt_Macro->hasFocus(); }));
}

void Select(TestWindow& w, int fromLine, int fromColumn, int toLine, int toColumn) {
    QTextDocument* document = w->txt_Macro->document();
    QTextCursor cursor(document);
    cursor.setPosition(document->findBlockByNumber(fromLine).position() + fromColumn);
    cursor.setPosition(document->findBlockByNumber(toLine).position() + toColumn, QTextCursor::KeepAnchor);
    w->txt_Macro->setTextCursor(cursor);
}

// "line:column:text" of the editor's selection.
QString SelectionAt(TestWindow& w) {
    const QTextCursor cursor = w->txt_Macro->textCursor();
    const QTextBlock block = w->txt_Macro->document()->findBlock(cursor.selectionStart());
    return QStringLiteral("%1:%2:%3")
        .arg(block.blockNumber())
        .arg(cursor.selectionStart() - block.position())
        .arg(cursor.selectedText());
}

// The highlighted pairs as "line:column:text", in order.
QStringList Highlights(TestWindow& w) {
    QStringList out;
    for (const QTextEdit::ExtraSelection& s : w->txt_Macro->MatchSelections())
        out << QStringLiteral("%1:%2:%3")
                   .arg(s.cursor.block().blockNumber())
                   .arg(s.cursor.selectionStart() - s.cursor.block().position())
                   .arg(s.cursor.selectedText());
    return out;
}

} // namespace

TEST(EditorFind, WrapCaseAndNotFoundThroughKeys) {
    TestWindow w;
    Prepare(w, QStringLiteral("Alpha beta\nx = alpha\nALPHA"));
    FindBar* bar = w->bar_Find;
    QTest::keyClick(w->txt_Macro, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->ReplaceRowShown());
    ASSERT_TRUE(WaitFor([&] { return bar->FindBox()->hasFocus(); }));
    QTest::keyClicks(bar->FindBox(), QStringLiteral("alpha"));
    QTest::keyClick(bar->FindBox(), Qt::Key_Return);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("0:0:Alpha"));
    QTest::keyClick(bar->FindBox(), Qt::Key_F3);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("1:4:alpha"));
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝2"));
    QTest::keyClick(bar->FindBox(), Qt::Key_F3);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("2:0:ALPHA"));
    EXPECT_TRUE(bar->MessageLabel()->text().isEmpty());
    QTest::keyClick(bar->FindBox(), Qt::Key_F3);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("0:0:Alpha"));
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("先頭に戻って検索しました。"));
    QTest::keyClick(bar->FindBox(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("2:0:ALPHA"));
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("末尾に戻って検索しました。"));
    QTest::keyClick(bar->FindBox(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("1:4:alpha"));

    // Case-sensitive: only the one lower-case match, found again from the top.
    bar->CaseOption()->setChecked(true);
    EXPECT_TRUE(bar->FindNext());
    EXPECT_EQ(SelectionAt(w), QStringLiteral("1:4:alpha"));
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("先頭に戻って検索しました。"));
    bar->FindBox()->setText(QStringLiteral("BETA"));
    EXPECT_FALSE(bar->FindNext());
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("見つかりません。"));
    EXPECT_EQ(SelectionAt(w), QStringLiteral("1:4:alpha"));

    QTest::keyClick(bar->FindBox(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(WaitFor([&] { return w->txt_Macro->hasFocus(); }));
    // F3 with the bar closed still finds; a miss shows the bar with its message.
    bar->CaseOption()->setChecked(false);
    QTest::keyClick(w->txt_Macro, Qt::Key_F3);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("0:6:beta"));
    EXPECT_FALSE(bar->isVisible());
    bar->FindBox()->setText(QStringLiteral("gamma"));
    QTest::keyClick(w->txt_Macro, Qt::Key_F3);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("見つかりません。"));
}

TEST(EditorFind, ReplaceAndReplaceAllAsOneUndoStep) {
    TestWindow w;
    const QString text = QStringLiteral("a = 1\nA = a + 2\nb = a");
    Prepare(w, text);
    FindBar* bar = w->bar_Find;
    QTest::keyClick(w->txt_Macro, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->ReplaceRowShown());
    bar->FindBox()->setText(QStringLiteral("a"));
    bar->ReplaceBox()->setText(QStringLiteral("aa"));

    // Replace: the first press finds, each further one replaces the match and finds the next.
    EXPECT_TRUE(bar->ReplaceCurrent());
    EXPECT_EQ(w->EditorText(), text);
    EXPECT_TRUE(bar->ReplaceCurrent());
    EXPECT_EQ(w->EditorText(), QStringLiteral("aa = 1\nA = a + 2\nb = a"));
    EXPECT_EQ(SelectionAt(w), QStringLiteral("1:0:A"));

    w->txt_Macro->setPlainText(text);
    bar->CaseOption()->setChecked(true);
    EXPECT_EQ(bar->ReplaceAll(), 3); // the replacement holds the text found: no endless loop
    EXPECT_EQ(w->EditorText(), QStringLiteral("aa = 1\nA = aa + 2\nb = aa"));
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("3 件置換しました。"));
    w->txt_Macro->undo();
    EXPECT_EQ(w->EditorText(), text);
    bar->CaseOption()->setChecked(false);
    EXPECT_EQ(bar->ReplaceAll(), 4);
    EXPECT_EQ(w->EditorText(), QStringLiteral("aa = 1\naa = aa + 2\nb = aa"));
    w->txt_Macro->undo();
    EXPECT_EQ(w->EditorText(), text);

    bar->FindBox()->setText(QStringLiteral("zz"));
    EXPECT_EQ(bar->ReplaceAll(), 0);
    EXPECT_EQ(bar->MessageLabel()->text(), QStringLiteral("見つかりません。"));
    // While a macro runs the text is not replaced.
    bar->FindBox()->setText(QStringLiteral("a"));
    w->SetRunningState(true);
    EXPECT_EQ(bar->ReplaceAll(), 0);
    EXPECT_FALSE(bar->ReplaceCurrent());
    w->SetRunningState(false);
    EXPECT_EQ(w->EditorText(), text);
}

// The bar lies inside the editor: no key typed in it may reach the macro. Tab and Shift+Tab go round the
// bar's controls (with the found text selected, a Tab used to replace it in the macro).
TEST(EditorFind, KeysTypedInTheBarNeverReachTheMacro) {
    TestWindow w;
    const QString text = QStringLiteral("alpha = 1\nbeta = alpha");
    Prepare(w, text);
    FindBar* bar = w->bar_Find;
    QTest::keyClick(w->txt_Macro, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return bar->FindBox()->hasFocus(); }));
    QTest::keyClicks(bar->FindBox(), QStringLiteral("alpha"));
    QTest::keyClick(bar->FindBox(), Qt::Key_Return);
    ASSERT_EQ(SelectionAt(w), QStringLiteral("0:0:alpha"));

    // Find box, next, previous, close, replace box, replace, replace all, the case option; round and back.
    const QList<QWidget*> stops = bar->TabStops();
    ASSERT_EQ(stops.size(), 8);
    EXPECT_EQ(stops.first(), bar->FindBox());
    for (qsizetype i = 1; i <= stops.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), stops[i % stops.size()]) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), stops.last());
    EXPECT_EQ(w->EditorText(), text);
    EXPECT_EQ(SelectionAt(w), QStringLiteral("0:0:alpha"));

    // Keys the controls do not use: letters and Delete on the buttons, the editor's own command keys
    // everywhere, Tab with Ctrl (which a text box would take as a tab).
    for (QWidget* stop : stops) {
        stop->setFocus();
        ASSERT_TRUE(WaitFor([&] { return stop->hasFocus(); }));
        if (qobject_cast<QLineEdit*>(stop) == nullptr) {
            QTest::keyClicks(stop, QStringLiteral("xy"));
            QTest::keyClick(stop, Qt::Key_Delete);
            QTest::keyClick(stop, Qt::Key_Backspace);
        }
        QTest::keyClick(stop, Qt::Key_Slash, Qt::ControlModifier);
        QTest::keyClick(stop, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(stop, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(w->EditorText(), text) << stop->metaObject()->className();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w->EditorText(), text);
}

TEST(EditorFind, GoToLineAsksAndRefuses) {
    TestWindow w;
    Prepare(w, QStringLiteral("l1\nl2\nl3\nl4\nl5"), 2, 1);
    w.dialogs.inputAnswers = {QStringLiteral("4"),   QStringLiteral("0"), QStringLiteral("6"),
                              QStringLiteral("abc"), std::nullopt,        QStringLiteral(" 5.9x")};
    QTest::keyClick(w->txt_Macro, Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(w.dialogs.inputPrompts.size(), 1u);
    EXPECT_EQ(w.dialogs.inputPrompts[0], QStringLiteral("行へ移動|行番号を入力して下さい。(1～5）|3"));
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 3);
    EXPECT_EQ(w->txt_Macro->textCursor().positionInBlock(), 0);
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝4"));
    for (int i = 0; i < 3; ++i) w->mnuGoToLine_Click();
    EXPECT_EQ(w.dialogs.notices, std::vector<QString>(3, QStringLiteral("指定できません。")));
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 3);
    w->mnuGoToLine_Click(); // cancelled: nothing, no notice
    EXPECT_EQ(w.dialogs.notices.size(), 3u);
    w->mnuGoToLine_Click();
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 4);
}

TEST(EditorKeys, TabAndShiftTabOnSelectedLines) {
    TestWindow w;
    const QString text = QStringLiteral("a\n  b\nc");
    Prepare(w, text);
    Select(w, 0, 1, 1, 2);
    QTest::keyClick(w->txt_Macro, Qt::Key_Tab);
    EXPECT_EQ(w->EditorText(), QStringLiteral("\ta\n\t  b\nc"));
    EXPECT_EQ(SelectionAt(w), QStringLiteral("0:0:\ta\u2029\t  b"));
    QTest::keyClick(w->txt_Macro, Qt::Key_Tab);
    QTest::keyClick(w->txt_Macro, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("\ta\n\t  b\nc"));
    w->txt_Macro->undo();
    w->txt_Macro->undo();
    EXPECT_EQ(w->EditorText(), QStringLiteral("\ta\n\t  b\nc"));
    w->txt_Macro->undo();
    EXPECT_EQ(w->EditorText(), text);

    // A selection that ends at a line's start leaves that line alone; spaces go up to the tab size.
    w->txt_Macro->setPlainText(QStringLiteral("      x\n  y\nz"));
    Select(w, 0, 3, 2, 0);
    QTest::keyClick(w->txt_Macro, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("  x\ny\nz"));
    // Shift+Tab without a selection outdents the caret's line; the caret stays on its character.
    Prepare(w, QStringLiteral("\t\tIF a THEN"), 0, 5);
    QTest::keyClick(w->txt_Macro, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("\tIF a THEN"));
    EXPECT_EQ(w->txt_Macro->textCursor().positionInBlock(), 4);
    // Tab on a selection inside one line types a tab over it, as a text box does.
    Select(w, 0, 1, 0, 3);
    QTest::keyClick(w->txt_Macro, Qt::Key_Tab);
    EXPECT_EQ(w->EditorText(), QStringLiteral("\t\t a THEN"));
}

TEST(EditorKeys, EnterKeepsIndentation) {
    TestWindow w;
    Prepare(w, QStringLiteral("\t  FOR i = 1 TO 3"), 0, 17);
    QTest::keyClick(w->txt_Macro, Qt::Key_Return);
    QTest::keyClicks(w->txt_Macro, QStringLiteral("x"));
    EXPECT_EQ(w->EditorText(), QStringLiteral("\t  FOR i = 1 TO 3\n\t  x"));
    // Enter inside the indentation carries only the blanks before the caret; the rest moves down.
    Prepare(w, QStringLiteral("    y"), 0, 2);
    QTest::keyClick(w->txt_Macro, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("  \n    y"));
    // Shift+Enter makes a plain new line too (no line separator inside a line).
    Prepare(w, QStringLiteral("  a b"), 0, 3);
    QTest::keyClick(w->txt_Macro, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("  a\n   b"));
    EXPECT_EQ(w->txt_Macro->blockCount(), 2);
    w->txt_Macro->undo();
    EXPECT_EQ(w->EditorText(), QStringLiteral("  a b"));
}

TEST(EditorKeys, CommentToggleAndRedoKeys) {
    TestWindow w;
    const QString text = QStringLiteral("a = 1\n\n\tb = 2\nc");
    Prepare(w, text);
    Select(w, 0, 2, 2, 1);
    QTest::keyClick(w->txt_Macro, Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n\n\t'b = 2\nc"));
    QTest::keyClick(w->txt_Macro, Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(w->EditorText(), text);
    QTest::keyClick(w->txt_Macro, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n\n\t'b = 2\nc"));
    QTest::keyClick(w->txt_Macro, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(w->EditorText(), text);
    QTest::keyClick(w->txt_Macro, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w->txt_Macro, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w->EditorText(), text);
    // Without a selection: the caret's line only.
    Prepare(w, QStringLiteral("x\n  ' y"), 1, 0);
    QTest::keyClick(w->txt_Macro, Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(w->EditorText(), QStringLiteral("x\n   y"));
}

// The 編集 items do what their keys do in the text; the text-changing ones wait while a macro runs.
TEST(EditorKeys, EditMenuItemsActOnTheMacro) {
    TestWindow w;
    Prepare(w, QStringLiteral("a = 1\nb = 2"));
    Select(w, 0, 0, 1, 1);
    w->mnuComment->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2"));
    w->mnuIndent->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("\t'a = 1\n\t'b = 2"));
    w->mnuOutdent->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2"));
    ASSERT_TRUE(w->mnuUndo->isEnabled());
    w->mnuUndo->trigger();
    w->mnuUndo->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2"));
    w->mnuUndo->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("a = 1\nb = 2"));
    w->mnuRedo->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2"));

    Select(w, 1, 1, 1, 6);
    ASSERT_TRUE(w->mnuCut->isEnabled());
    w->mnuCut->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'"));
    w->mnuPaste->trigger();
    w->mnuPaste->trigger();
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2b = 2"));
    EXPECT_FALSE(w->mnuCut->isEnabled()) << "nothing selected";
    EXPECT_FALSE(w->mnuCopy->isEnabled());

    const qreal points = w->txt_Macro->font().pointSizeF();
    w->mnuZoomIn->trigger();
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), points + 1);
    w->mnuZoomReset->trigger();
    w->mnuZoomOut->trigger();
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), points - 1);

    w->SetRunningState(true);
    for (QAction* item :
         {w->mnuUndo, w->mnuRedo, w->mnuCut, w->mnuPaste, w->mnuComment, w->mnuIndent, w->mnuOutdent}) {
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
        item->trigger();
    }
    w->mnuComment_Click();
    w->mnuUndo_Click();
    w->SetRunningState(false);
    EXPECT_EQ(w->EditorText(), QStringLiteral("'a = 1\n'b = 2b = 2"));
    EXPECT_TRUE(w->mnuComment->isEnabled());
}

// F1 starts the viewer at the name under the caret (inside it or just after it); with none there, without a
// name. The viewer here is a script that writes down what it was given.
TEST(EditorKeys, F1OpensTheViewerAtTheWordUnderTheCaret) {
    TestWindow w;
    const QString viewer = w.Path(QStringLiteral("Glossel"));
    {
        QFile file(viewer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"[$*]\" >> asked.txt\n");
    }
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString asked = w.Path(QStringLiteral("asked.txt"));
    const auto f1At = [&](int line, int column, const QByteArray& expected) {
        QFile::remove(asked);
        Prepare(w, QStringLiteral("MUS LEFTPRESS, 1, 2\nKBD vk_return\n\n x = GETCOLOR(1, 2)"), line, column);
        QTest::keyClick(w->txt_Macro, Qt::Key_F1);
        EXPECT_TRUE(WaitFor([&] { return ReadAll(asked) == expected; })) << ReadAll(asked).toStdString();
    };
    f1At(0, 1, "[MUS]\n");
    f1At(1, 13, "[vk_return]\n");
    f1At(3, 9, "[GETCOLOR]\n");
    f1At(2, 0, "[]\n");
    EXPECT_EQ(w->Menu_MacroHelp->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(LogLines(*w).isEmpty());
}

TEST(BlockMatching, CaretOnBlockWordsOfNestedBlocks) {
    TestWindow w;
    Prepare(w, QString());
    SetText(w,
            QStringLiteral("FOR i = 1 TO 3\n"       // 0
                           "  IF i = 2 THEN\n"      // 1
                           "    WHILE x < 3\n"      // 2
                           "      FOR j = 1 TO 2\n" // 3
                           "      next\n"           // 4
                           "    WEND\n"             // 5
                           "  Else\n"               // 6
                           "  END IF\n"             // 7
                           "NEXT"),                 // 8
            4, 2);
    BlockMatcher* matcher = w->txt_Macro->Matcher();
    // The text is read a moment after the last edit, not at once.
    EXPECT_TRUE(matcher->ParsePending());
    EXPECT_TRUE(Highlights(w).isEmpty());
    ASSERT_TRUE(WaitFor([&] { return !matcher->ParsePending(); }, 3000));
    EXPECT_EQ(Highlights(w), (QStringList{"3:6:FOR", "4:6:next"}));
    QTest::keyClick(w->txt_Macro, Qt::Key_Up);
    QTest::keyClick(w->txt_Macro, Qt::Key_Up);
    QTest::keyClick(w->txt_Macro, Qt::Key_Up);
    EXPECT_EQ(Highlights(w), (QStringList{"1:2:IF", "6:2:Else", "7:2:END IF"}));
    w->txt_Macro->moveCursor(QTextCursor::End);
    EXPECT_EQ(Highlights(w), (QStringList{"0:0:FOR", "8:0:NEXT"}));
    // Lines that are no block words highlight nothing; an edit hides the pairs until the text is read again.
    QTest::keyClick(w->txt_Macro, Qt::Key_Home);
    QTest::keyClick(w->txt_Macro, Qt::Key_Return);
    EXPECT_TRUE(Highlights(w).isEmpty());
    matcher->ParseNow();
    EXPECT_EQ(Highlights(w), (QStringList{"0:0:FOR", "9:0:NEXT"}));
}

// Half-typed texts do not parse; the pairs elsewhere still highlight, and the window's own macro is
// untouched.
TEST(BlockMatching, TextsBeingTyped) {
    TestWindow w;
    Prepare(w, QStringLiteral("WHILE a\n  FOR i = 1 TO\n  IF b THEN\n\nWEND"), 4, 0);
    w->txt_Macro->Matcher()->ParseNow();
    EXPECT_EQ(Highlights(w), (QStringList{"0:0:WHILE", "4:0:WEND"}));
    w->txt_Macro->moveCursor(QTextCursor::Up);
    w->txt_Macro->moveCursor(QTextCursor::Up);
    EXPECT_TRUE(Highlights(w).isEmpty());
    EXPECT_EQ(w->Macro().Engine().LineCount(), 0);
}

TEST(BlockMatching, BracketsBesideTheCaret) {
    TestWindow w;
    //                          0123456789012345678901
    Prepare(w, QStringLiteral("x = MID(\"(\", (1), 2)"), 0, 7);
    w->txt_Macro->Matcher()->ParseNow();
    EXPECT_EQ(Highlights(w), (QStringList{"0:7:(", "0:19:)"}));
    Prepare(w, QStringLiteral("x = MID(\"(\", (1), 2)"), 0, 16);
    EXPECT_EQ(Highlights(w), (QStringList{"0:15:)", "0:13:("}));
    Prepare(w, QStringLiteral("x = MID(\"(\", (1), 2)"), 0, 10);
    EXPECT_TRUE(Highlights(w).isEmpty());
    Prepare(w, QStringLiteral("y = (1 + 2"), 0, 4);
    EXPECT_EQ(Highlights(w), QStringList{"0:4:("});
}

TEST(EditorZoom, KeysWheelGutterAndTabStops) {
    TestWindow w;
    Prepare(w, QStringLiteral("\tx"));
    const qreal base = w->txt_Macro->font().pointSizeF();
    const int baseGutter = w->txt_Macro->GutterWidth();
    auto tabStopFits = [&] {
        const qreal space = QFontMetricsF(w->txt_Macro->font()).horizontalAdvance(QLatin1Char(' '));
        return qAbs(w->txt_Macro->tabStopDistance() - w->TabSize() * space) < 0.01;
    };
    QTest::keyClick(w->txt_Macro, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(w->txt_Macro, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), base + 2);
    EXPECT_GT(w->txt_Macro->GutterWidth(), baseGutter);
    EXPECT_EQ(w->txt_Macro->Gutter()->width(), w->txt_Macro->GutterWidth());
    EXPECT_TRUE(tabStopFits());
    QTest::keyClick(w->txt_Macro, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), base + 1);

    const QPointF at(20, 20);
    QWheelEvent wheel(at, w->txt_Macro->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w->txt_Macro->viewport(), &wheel);
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), base - 1);
    EXPECT_TRUE(tabStopFits());
    for (int i = 0; i < 100; ++i) w->txt_Macro->ZoomIn();
    EXPECT_DOUBLE_EQ(w->txt_Macro->font().pointSizeF(), CodeTextEdit::kMaxZoomPoints);
    QTest::keyClick(w->txt_Macro, Qt::Key_0, Qt::ControlModifier);
    QFont windowFont = w->font(); // drawn without shaping rules in the editor
    windowFont.setStyleStrategy(QFont::StyleStrategy(windowFont.styleStrategy() | QFont::PreferNoShaping));
    EXPECT_EQ(w->txt_Macro->font(), windowFont);
    EXPECT_EQ(w->txt_Macro->GutterWidth(), baseGutter);
    // The tab-size command keeps following the zoomed font.
    w->txt_Macro->ZoomIn();
    w.dialogs.inputAnswers = {QStringLiteral("8")};
    w->Menu_Tab_Click();
    EXPECT_TRUE(tabStopFits());
}

TEST(EditorZoom, GutterAndFindBarStayInsideTheEditorPane) {
    TestWindow w;
    QStringList lines;
    for (int i = 1; i <= 120; ++i) lines << QStringLiteral("PRINT %1").arg(i);
    Prepare(w, lines.join(u'\n'));
    const QRect pane(0, 24, 550, 192);
    EXPECT_EQ(w->txt_Macro->geometry(), pane);
    const int digits3 = w->txt_Macro->GutterWidth();
    EXPECT_EQ(w->txt_Macro->viewport()->x(), w->txt_Macro->Gutter()->geometry().right() + 1);
    const int viewHeight = w->txt_Macro->viewport()->height();
    w->bar_Find->OpenReplace();
    EXPECT_EQ(w->txt_Macro->geometry(), pane);
    EXPECT_LT(w->txt_Macro->viewport()->height(), viewHeight - 40);
    EXPECT_EQ(w->bar_Find->geometry().top(), w->txt_Macro->viewport()->geometry().bottom() + 1);
    EXPECT_LE(w->bar_Find->geometry().right(), w->txt_Macro->viewport()->geometry().right());
    w->bar_Find->CloseBar();
    EXPECT_EQ(w->txt_Macro->viewport()->height(), viewHeight);
    w->txt_Macro->setPlainText(QStringLiteral("x"));
    EXPECT_LT(w->txt_Macro->GutterWidth(), digits3);
}
