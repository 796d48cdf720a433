// Tests of very long lines in the editor window: wrapped while they exist, held in chunks that the text,
// the line numbers, the keys at a chunk's edge, copy and paste, undo, the line commands, breakpoints and
// find and replace all treat as one line, and every character kept as typed.
#include "editor_test_support.h"
#include "find_bar.h"

#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

QString LongLine(int length, const QString& unit = QStringLiteral("+1")) {
    QString line = QStringLiteral("PRINT 1");
    while (line.size() < length) line += unit;
    return line;
}

// Puts the text in the editor (its chunks made), the caret at (line, column) as the user counts them (the
// line from 1), and the focus in the editor.
void Prepare(TestWindow& w, const QString& text, int line = 1, int column = 0) {
    w->txt_Macro->setPlainText(text);
    QApplication::processEvents();
    QTextCursor cursor(w->txt_Macro->document());
    cursor.setPosition(w->txt_Macro->PositionAt(line, column));
    w->txt_Macro->setTextCursor(cursor);
    w->activateWindow();
    w->txt_Macro->setFocus();
    ASSERT_TRUE(WaitFor([&] { return w->txt_Macro->hasFocus(); }));
}

void Select(TestWindow& w, int fromLine, int fromColumn, int toLine, int toColumn) {
    QTextCursor cursor(w->txt_Macro->document());
    cursor.setPosition(w->txt_Macro->PositionAt(fromLine, fromColumn));
    cursor.setPosition(w->txt_Macro->PositionAt(toLine, toColumn), QTextCursor::KeepAnchor);
    w->txt_Macro->setTextCursor(cursor);
}

// The caret on the first character of the second chunk of the block that starts `line`.
QTextBlock PutCaretAtSecondChunk(TestWindow& w, int line) {
    const QTextBlock second = w->txt_Macro->BlockOfLine(line).next();
    w->txt_Macro->setTextCursor(QTextCursor(second));
    return second;
}

// No block longer than a chunk may grow, none ends inside a surrogate pair.
void ExpectChunksInShape(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        EXPECT_LE(block.length() - 1, LongLines::kLongestChunk) << "block " << block.blockNumber();
        const QString text = block.text();
        if (!text.isEmpty()) {
            EXPECT_FALSE(text.back().isHighSurrogate()) << "block " << block.blockNumber();
        }
    }
}

} // namespace

// A line longer than CodeTextEdit::kLongestUnwrappedLine is wrapped at the window's width while it exists
// and keeps its layout between paints, so a caret blink does not lay out all of it again; typing, Enter
// and undo at it leave every character as typed.
TEST(LongLines, WrappedWhileTheyExistAndKeptAsTyped) {
    TestWindow w;
    MacroTextEdit* editor = w->txt_Macro;
    const QString line = LongLine(200000);
    Prepare(w, QStringLiteral("DIM i\nPRINT i"), 2, 7);
    EXPECT_FALSE(editor->WrapsLongLines());

    Prepare(w, QStringLiteral("DIM i\n") + line, 2, static_cast<int>(line.size()));
    EXPECT_TRUE(editor->WrapsLongLines());
    const QTextBlock long_ = editor->BlockOfLine(2);
    EXPECT_TRUE(long_.layout()->cacheEnabled());
    editor->viewport()->repaint();
    EXPECT_GT(long_.layout()->lineCount(), 10);
    EXPECT_EQ(editor->horizontalScrollBar()->maximum(), 0); // nothing to scroll to
    // Laid out without shaping rules, which the fixed-width font does not need, at every zoom.
    for (const auto& zoom : {&CodeTextEdit::ZoomIn, &CodeTextEdit::ZoomReset}) {
        (editor->*zoom)();
        EXPECT_TRUE(editor->font().styleStrategy() & QFont::PreferNoShaping);
    }

    QTest::keyClicks(editor, QStringLiteral("+2"));
    Select(w, 2, 0, 2, 0);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(editor->Text(), QStringLiteral("DIM i\n\n") + line + QStringLiteral("+2"));
    EXPECT_TRUE(editor->WrapsLongLines());
    editor->undo();
    EXPECT_EQ(editor->Text(), QStringLiteral("DIM i\n") + line + QStringLiteral("+2"));

    // Shortening the line below the limit, or taking it away, ends the wrapping and the chunks; a short
    // line added to a text with a long one does not.
    Select(w, 2, CodeTextEdit::kLongestUnwrappedLine - 10, 2, static_cast<int>(line.size()) + 2);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_FALSE(editor->WrapsLongLines());
    EXPECT_EQ(editor->Text(),
              QStringLiteral("DIM i\n") + line.left(CodeTextEdit::kLongestUnwrappedLine - 10));
    EXPECT_EQ(editor->blockCount(), 2);
    Prepare(w, line + QStringLiteral("\nA"), 2, 1);
    QTest::keyClicks(editor, QStringLiteral("BC"));
    EXPECT_TRUE(editor->WrapsLongLines());
    Select(w, 1, 0, 2, 0);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_FALSE(editor->WrapsLongLines());
    EXPECT_EQ(editor->Text(), QStringLiteral("ABC"));
}

// A file's long line is held in chunks of its own, unseen: the text, the line count and numbers, the
// breakpoints and the paused line are the file's; opening it neither modifies the text nor adds an undo
// step; no chunk parts a surrogate pair.
TEST(LongLines, ChunksAreOneLineForEveryReader) {
    TestWindow w;
    MacroTextEdit* editor = w->txt_Macro;
    const QString line = LongLine(50001);
    const QString wide = LongLine(30001, QStringLiteral("+\U0001F600"));
    const QString text = QStringLiteral("DIM i\n") + line + QStringLiteral("\nPRINT i\n") + wide + u'\n';
    Prepare(w, text, 3, 0);
    EXPECT_GT(editor->blockCount(), 30);
    EXPECT_EQ(editor->LineCount(), 5);
    EXPECT_EQ(editor->Text(), text);
    EXPECT_EQ(editor->EngineText(), QString(text).replace(u'\n', QStringLiteral("\r\n")).toStdU16String());
    EXPECT_FALSE(editor->document()->isModified());
    EXPECT_FALSE(editor->document()->isUndoAvailable());
    ExpectChunksInShape(*editor->document());

    EXPECT_EQ(editor->CaretLine(), 3);
    EXPECT_EQ(editor->BlockOfLine(3).text(), QStringLiteral("PRINT i"));
    EXPECT_EQ(editor->LineOfBlock(editor->BlockOfLine(2).next().next()), 2);
    EXPECT_EQ(editor->LineOfBlock(editor->document()->lastBlock()), 5);
    EXPECT_FALSE(editor->BlockOfLine(6).isValid());
    EXPECT_EQ(editor->PositionAt(2, 4321) - editor->PositionAt(2, 0), 4321 + 2); // two chunk breaks before

    editor->ToggleBreakpointAtLine(3);
    editor->ToggleBreakpointAtLine(5);
    EXPECT_EQ(editor->Breakpoints(), (QList<int>{3, 5}));
    editor->SetBreakpoints({2, 4});
    EXPECT_EQ(editor->Breakpoints(), (QList<int>{2, 4}));
    editor->SetPausedLine(4);
    EXPECT_EQ(editor->CaretLine(), 4);
    editor->SetPausedLine(0);

    // The go-to-line command counts the user's lines.
    w.dialogs.inputAnswers = {QStringLiteral("5")};
    w->mnuGoToLine_Click();
    ASSERT_EQ(w.dialogs.inputPrompts.size(), 1U);
    EXPECT_TRUE(w.dialogs.inputPrompts[0].contains(QStringLiteral("(1～5）")))
        << w.dialogs.inputPrompts[0].toStdString();
    EXPECT_EQ(editor->CaretLine(), 5);
}

// Backspace at a chunk's start and Delete at its end take one character of the line, Enter in a chunk
// starts a line there and Backspace joins it again; a chunk typed long is cut again; Ctrl+Z undoes each.
TEST(LongLines, KeysAtChunkEdges) {
    TestWindow w;
    MacroTextEdit* editor = w->txt_Macro;
    const QString line = LongLine(20001, QStringLiteral("+23"));
    const QString text = QStringLiteral("DIM i\n") + line + QStringLiteral("\nPRINT i");
    Prepare(w, text, 1, 0);

    const QTextBlock second = PutCaretAtSecondChunk(w, 2);
    const int column = LongLines::ColumnInLine(second, 0);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QString expected = text;
    expected.remove(6 + column - 1, 1);
    EXPECT_EQ(editor->Text(), expected);
    EXPECT_EQ(editor->CaretLine(), 2);

    PutCaretAtSecondChunk(w, 2);
    editor->moveCursor(QTextCursor::PreviousBlock);
    editor->moveCursor(QTextCursor::EndOfBlock);
    const int end =
        LongLines::ColumnInLine(editor->textCursor().block(), editor->textCursor().positionInBlock());
    QTest::keyClick(editor, Qt::Key_Delete);
    expected.remove(6 + end, 1);
    EXPECT_EQ(editor->Text(), expected);

    // Enter inside the second chunk: the line ends there, the rest (with the chunks after) is line 3.
    const QTextBlock chunk = PutCaretAtSecondChunk(w, 2);
    QTextCursor inside(chunk);
    inside.setPosition(chunk.position() + 5);
    editor->setTextCursor(inside);
    const int at = LongLines::ColumnInLine(chunk, 5);
    QTest::keyClick(editor, Qt::Key_Return);
    QString split = expected;
    split.insert(6 + at, u'\n');
    EXPECT_EQ(editor->Text(), split);
    EXPECT_EQ(editor->LineCount(), 4);
    EXPECT_EQ(editor->CaretLine(), 3);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), expected);
    EXPECT_EQ(editor->LineCount(), 3);

    // Typing into one chunk until it is too long cuts it again.
    QTest::keyClicks(editor, QString(LongLines::kLongestChunk, u'7'));
    expected.insert(6 + at, QString(LongLines::kLongestChunk, u'7'));
    EXPECT_EQ(editor->Text(), expected);
    ExpectChunksInShape(*editor->document());

    for (int k = 0; k < 20 && editor->document()->isUndoAvailable(); ++k) editor->undo();
    EXPECT_EQ(editor->Text(), text);
    EXPECT_EQ(editor->LineCount(), 3);
}

// A selection over chunks is copied as the line's text; a paste of several lines inside a chunk puts them
// there as lines; a pasted long line is cut, and undo and redo take it away and bring it back whole.
TEST(LongLines, CopyPasteUndoAndLineCommands) {
    TestWindow w;
    MacroTextEdit* editor = w->txt_Macro;
    const QString line = LongLine(30000);
    const QString text = QStringLiteral("DIM i\n") + line + QStringLiteral("\nPRINT i");
    Prepare(w, text, 2, 0);

    Select(w, 2, 1000, 2, 9000);
    editor->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), line.mid(1000, 8000));

    PutCaretAtSecondChunk(w, 2);
    const int at = LongLines::ColumnInLine(editor->textCursor().block(), 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("A\nB\nC"));
    editor->paste();
    QString expected = text;
    expected.insert(6 + at, QStringLiteral("A\nB\nC"));
    EXPECT_EQ(editor->Text(), expected);
    EXPECT_EQ(editor->LineCount(), 5);

    const QString pasted = LongLine(25000, QStringLiteral("*2"));
    Prepare(w, text, 3, 0);
    QGuiApplication::clipboard()->setText(pasted + u'\n');
    editor->paste();
    const QString withPaste = QStringLiteral("DIM i\n") + line + u'\n' + pasted + QStringLiteral("\nPRINT i");
    EXPECT_EQ(editor->Text(), withPaste);
    ExpectChunksInShape(*editor->document());
    editor->undo();
    EXPECT_EQ(editor->Text(), text);
    editor->redo();
    EXPECT_EQ(editor->Text(), withPaste);

    // Ctrl+/ and Tab over the long lines act on whole lines.
    Select(w, 2, 5, 3, 7);
    QTest::keyClick(editor, Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(editor->Text(), QStringLiteral("DIM i\n'") + line + QStringLiteral("\n'") + pasted +
                                  QStringLiteral("\nPRINT i"));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(editor->Text(), QStringLiteral("DIM i\n\t'") + line + QStringLiteral("\n\t'") + pasted +
                                  QStringLiteral("\nPRINT i"));
    EXPECT_EQ(editor->LineCount(), 4);
}

// Find and replace see a long line's text whole: a word across a chunk break is found forward and backward
// (from the other end too), selected as the word, replaced, and counted by Replace All.
TEST(LongLines, FindAndReplaceAcrossChunkBreaks) {
    TestWindow w;
    MacroTextEdit* editor = w->txt_Macro;
    QString line = LongLine(30000);
    Prepare(w, QStringLiteral("DIM i\n") + line, 1, 0);
    const int column = LongLines::ColumnInLine(editor->BlockOfLine(2).next(), 0); // the first chunk break
    line.replace(column - 3, 6, QStringLiteral("Needle"));
    line.replace(column + 4000, 6, QStringLiteral("needle"));
    const QString text = QStringLiteral("DIM i\n") + line;
    Prepare(w, text, 1, 0);
    ASSERT_EQ(LongLines::ColumnInLine(editor->BlockOfLine(2).next(), 0), column);

    FindBar* bar = w->bar_Find;
    bar->OpenReplace();
    bar->FindBox()->setText(QStringLiteral("needle"));
    ASSERT_TRUE(bar->FindNext());
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("Needle"));
    EXPECT_EQ(editor->textCursor().selectionStart(), editor->PositionAt(2, column - 3));
    ASSERT_TRUE(bar->FindNext());
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("needle"));
    ASSERT_TRUE(bar->FindNext()); // from the top again
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("Needle"));
    ASSERT_TRUE(bar->FindPrevious()); // from the end again
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("needle"));
    ASSERT_TRUE(bar->FindPrevious());
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("Needle"));

    bar->ReplaceBox()->setText(QStringLiteral("pin"));
    EXPECT_TRUE(bar->ReplaceCurrent());
    QString expected = text;
    expected.replace(6 + column - 3, 6, QStringLiteral("pin"));
    EXPECT_EQ(editor->Text(), expected);
    EXPECT_EQ(editor->SelectedText(), QStringLiteral("needle"));
    editor->undo();
    EXPECT_EQ(editor->Text(), text);

    bar->ReplaceBox()->setText(QStringLiteral("x"));
    EXPECT_EQ(bar->ReplaceAll(), 2);
    expected = text;
    expected.replace(QStringLiteral("needle"), QStringLiteral("x"), Qt::CaseInsensitive);
    EXPECT_EQ(editor->Text(), expected);
    editor->undo();
    EXPECT_EQ(editor->Text(), text);
    // The "+1" of the line, many of them across chunk breaks, every one replaced.
    bar->FindBox()->setText(QStringLiteral("+1"));
    bar->ReplaceBox()->setText(QStringLiteral("-"));
    EXPECT_EQ(bar->ReplaceAll(), static_cast<int>(line.count(QStringLiteral("+1"))));
    EXPECT_EQ(editor->Text(), QString(text).replace(QStringLiteral("+1"), QStringLiteral("-")));
}
