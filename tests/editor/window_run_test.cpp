// Tests of running from the editor: a clean run and its log, parse errors, Stop during an endless loop (with
// the running state seen from inside the run), closing during a run, the function submenu, the buffer file,
// and the dialog built-ins and the ComputeLine prompt answered in real Qt dialogs.
#include "debug_log.h"
#include "editor_test_support.h"
#include "macro_file.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

struct RunningSnapshot {
    bool seen = false, running = false, runEnabled = true, stopEnabled = false, editorEnabled = true,
         toolsEnabled = true, fileEnabled = false, newButton = true, stopButton = false;
    QString status;
};

RunningSnapshot Snapshot(frm_MacroWindow& w) {
    RunningSnapshot s;
    s.seen = true;
    s.running = w.IsRunning();
    s.runEnabled = w.Menu_Run->isEnabled();
    s.stopEnabled = w.Menu_Stop->isEnabled();
    s.editorEnabled = w.txt_Macro->isEnabled();
    s.toolsEnabled = w.Menu_Config->menuAction()->isEnabled();
    s.fileEnabled = w.Menu_File->menuAction()->isEnabled();
    s.newButton = w.btn_ToolBar[0]->isEnabled();
    s.stopButton = w.btn_ToolBar[4]->isEnabled();
    s.status = w.pic_Msg->text();
    return s;
}

QPushButton* ButtonWithText(QWidget* box, const QString& text) {
    for (QPushButton* b : box->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

} // namespace

TEST(EditorRun, CleanRunLogsPrintAndEnd) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("DIM i\nFOR i = 1 TO 3\nPRINT \"行\" + STR(i), i * 2\nNEXT"));
    w->Menu_Run_Click();
    EXPECT_EQ(LogLines(*w), (QStringList{"行1\t2", "行2\t4", "行3\t6", "終了しました。"}));
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝1")); // the caret's line again
    EXPECT_FALSE(w->IsRunning());
    EXPECT_TRUE(w->Menu_Run->isEnabled());
    EXPECT_FALSE(w->Menu_Stop->isEnabled());
    EXPECT_TRUE(w->txt_Macro->isEnabled());
    // The buffer file holds the text as a save would write it.
    EXPECT_EQ(ReadAll(w->BufferPath()).toStdString(),
              EncodeMacroText(u"DIM i\nFOR i = 1 TO 3\nPRINT \"行\" + STR(i), i * 2\nNEXT"));
    EXPECT_TRUE(ReadAll(w->BufferPath()).endsWith("NEXT\r\n"));
}

TEST(EditorRun, ParseErrorLogsThreeLinesAndStaysIdle) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1\nFOR i = 1\nPRINT 2"));
    QTextCursor start(w->txt_Macro->document());
    w->txt_Macro->setTextCursor(start);
    w->Menu_Run_Click();
    const QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], QStringLiteral("行=2"));
    EXPECT_FALSE(w->IsRunning());
    EXPECT_TRUE(QFile::exists(w->BufferPath()));
    EXPECT_EQ(w->txt_Macro->textCursor().blockNumber(), 0); // the error does not move the caret
}

TEST(EditorRun, RunErrorLogsItsLinesThenTheEnd) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1\nPRINT 1 / 0\nPRINT 3"));
    w->Menu_Run_Click();
    const QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("1"));
    EXPECT_EQ(lines[3], QStringLiteral("行=2"));
    EXPECT_EQ(lines[4], QStringLiteral("終了しました。"));
}

TEST(EditorRun, StopEndsAnEndlessLoopWithCode100) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("MES \"looping\"\nWHILE 1\nWEND"));
    RunningSnapshot during;
    bool mesOpen = false;
    QString textDuringRun;
    After(300, [&] {
        during = Snapshot(*w);
        mesOpen = w->UserInterfaceOfWindow().IsMessageWindowOpen();
        // Opening the run menu during the run must not parse the text again under the running engine.
        w->txt_Macro->setPlainText(QStringLiteral("SUB Other()\nEND SUB"));
        w->Menu_Execute_Click();
        textDuringRun = QString::fromStdU16String(w->Macro().MacroText());
        w->btn_ToolBar_Click(4);
    });
    w->Menu_Run_Click();
    ASSERT_TRUE(during.seen);
    EXPECT_TRUE(during.running);
    EXPECT_FALSE(during.runEnabled);
    EXPECT_TRUE(during.stopEnabled);
    EXPECT_FALSE(during.editorEnabled);
    EXPECT_FALSE(during.toolsEnabled);
    EXPECT_TRUE(during.fileEnabled);
    EXPECT_FALSE(during.newButton);
    EXPECT_TRUE(during.stopButton);
    EXPECT_EQ(during.status, QStringLiteral("実行中"));
    EXPECT_TRUE(mesOpen);
    EXPECT_EQ(textDuringRun, QStringLiteral("MES \"looping\"\r\nWHILE 1\r\nWEND"));
    EXPECT_EQ(w->Macro().Error().ErrorCode(), 100);
    EXPECT_EQ(LogLines(*w).size(), 4); // the stop's three error lines and the closing line
    EXPECT_EQ(LogLines(*w).last(), QStringLiteral("終了しました。"));
    EXPECT_FALSE(w->UserInterfaceOfWindow().IsMessageWindowOpen());
    EXPECT_EQ(w->pic_Msg->text(), QStringLiteral("行＝1"));
    // The next run starts afresh.
    w->ClearLog();
    w->txt_Macro->setPlainText(QStringLiteral("PRINT \"again\""));
    w->Menu_Run_Click();
    EXPECT_EQ(LogLines(*w), (QStringList{"again", "終了しました。"}));
}

TEST(EditorRun, ClosingDuringARunStopsItThenCloses) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("WHILE 1\nWEND"));
    w.dialogs.questionAnswers = {kButtonNo};
    bool closedAtOnce = true;
    After(200, [&] { closedAtOnce = w->close(); });
    w->Menu_Run_Click();
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(w->Macro().Error().ErrorCode(), 100);
    EXPECT_EQ(LogLines(*w).last(), QStringLiteral("終了しました。"));
    // The close goes ahead after the run, with the unsaved-text question as always.
    ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }));
    EXPECT_EQ(w.dialogs.questions.size(), 1u);
    EXPECT_FALSE(QFile::exists(w->BufferPath()));
}

TEST(EditorRun, FunctionSubmenuFollowsTheText) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral(
        "PRINT \"main\"\nEND\nSUB First()\nPRINT \"one\"\nEND SUB\nFUNCTION Second(a)\nSecond = a\n"
        "END FUNCTION\nSUB Third()\nPRINT \"three\"\nEND SUB"));
    w->Menu_Execute_Click();
    QStringList names;
    for (QAction* a : w->Menu_FunctionCall) names << a->text();
    EXPECT_EQ(names, (QStringList{"FIRST", "SECOND", "THIRD"}));
    EXPECT_TRUE(w->Menu_RunFunction->menuAction()->isEnabled());

    w->Menu_FunctionCall[2]->trigger();
    EXPECT_EQ(LogLines(*w), (QStringList{"three", "終了しました。"}));
    EXPECT_FALSE(QFile::exists(w->BufferPath())); // a function call writes no buffer file

    w->txt_Macro->setPlainText(QStringLiteral("SUB First()\nEND SUB\nSUB Third()\nEND SUB"));
    w->Menu_Execute->popup(QPoint(0, 0)); // opening the menu rebuilds it
    ASSERT_TRUE(WaitFor([&] { return w->Menu_FunctionCall.size() == 2; }));
    w->Menu_Execute->hide();
    EXPECT_EQ(w->Menu_FunctionCall[1]->text(), QStringLiteral("THIRD"));

    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    w->Menu_Execute_Click();
    ASSERT_EQ(w->Menu_FunctionCall.size(), 1);
    EXPECT_EQ(w->Menu_FunctionCall[0]->text(), QString());
    w->ClearLog();
    w->Menu_FunctionCall_Click(0); // an empty caption does nothing
    EXPECT_TRUE(LogLines(*w).isEmpty());

    w->txt_Macro->setPlainText(QStringLiteral("IF 1 THEN\nSUB A()\nEND SUB"));
    w->Menu_Execute_Click();
    EXPECT_FALSE(w->Menu_RunFunction->menuAction()->isEnabled());
    EXPECT_EQ(LogLines(*w).size(), 3);
}

TEST(EditorDialogBuiltins, MsgBoxInputBoxAndPromptInRealDialogs) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("DIM x\nx = MSGBOX(\"続けますか\", 4 + 32)\nPRINT x\n"
                                              "PRINT INPUTBOX(\"名前\", \"題\") = \"\""));
    QString boxTitle, inputTitle;
    WhenModalShown([&](QWidget* box) {
        boxTitle = box->windowTitle();
        ButtonWithText(box, QStringLiteral("いいえ(&N)"))->click();
        WhenModalShown([&](QWidget* input) {
            inputTitle = input->windowTitle();
            static_cast<QDialog*>(input)->reject();
        });
    });
    w->Menu_Run_Click();
    EXPECT_EQ(boxTitle, QStringLiteral("QuillonMacro"));
    EXPECT_EQ(inputTitle, QStringLiteral("題"));
    EXPECT_EQ(LogLines(*w), (QStringList{"7", "True", "終了しました。"}));

    // ComputeLine asks for an unknown name in an input box titled "変数の値入力".
    QString promptTitle, promptLabel;
    WhenModalShown([&](QWidget* input) {
        auto* dialog = static_cast<QInputDialog*>(input);
        promptTitle = dialog->windowTitle();
        promptLabel = dialog->labelText();
        dialog->setTextValue(QStringLiteral("3"));
        dialog->accept();
    });
    const MacroValue value = w->Macro().ComputeLine(u"x + x * 2");
    EXPECT_EQ(w->Macro().Error().ErrorCode(), 0);
    EXPECT_EQ(value.AsDouble(), 9.0);
    EXPECT_EQ(promptTitle, QStringLiteral("変数の値入力"));
    EXPECT_EQ(promptLabel, QStringLiteral("x = "));
}

// PRINT lines are shown in batches, yet the log ends exactly as if every line had been appended on its own.
TEST(WindowLog, PrintLinesInBatchesKeepOrderAndTheLineRule) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("DIM i\nFOR i = 1 TO 5000\nPRINT i\nNEXT"));
    QStringList during;
    After(1, [&] { during = LogLines(*w); });
    w->Menu_Run_Click();
    QStringList expected;
    for (int i = 4902; i <= 5000; ++i) expected << QString::number(i);
    expected << QStringLiteral("終了しました。");
    EXPECT_EQ(LogLines(*w), expected);
    EXPECT_EQ(w->txt_Log->textCursor().selectedText(), QStringLiteral("終了しました。"));
    // Whatever the log showed during the run was a run of consecutive lines, at most about a hundred.
    EXPECT_LE(during.size(), 100);
    for (int i = 1; i < during.size(); ++i) EXPECT_EQ(during[i].toInt(), during[i - 1].toInt() + 1);

    // Lines still queued when an error is reported come before the error's lines.
    w->ClearLog();
    w->txt_Macro->setPlainText(QStringLiteral("DIM i\nFOR i = 1 TO 50\nPRINT i\nNEXT\nPRINT 1 / 0"));
    w->Menu_Run_Click();
    const QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 54);
    EXPECT_EQ(lines[49], QStringLiteral("50"));
    EXPECT_EQ(lines[52], QStringLiteral("行=5"));
    EXPECT_EQ(lines[53], QStringLiteral("終了しました。"));
}

TEST(WindowLog, AHugeLineIsShownCutWithAMark) {
    TestWindow w;
    // A line of 8,388,609 characters is shown at once, cut, and the lines after it follow.
    w->txt_Macro->setPlainText(QStringLiteral("DIM s, i\ns = \"あ\"\nFOR i = 1 TO 23\ns = s + s\nNEXT\n"
                                              "PRINT \"x\" + s\nPRINT \"後の行\""));
    w->Menu_Run_Click();
    const QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 3);
    const QString kept = QStringLiteral("x") + QStringLiteral("あ").repeated(DebugLog::kShownLineLength - 1);
    EXPECT_EQ(lines[0],
              kept + QStringLiteral("…（以下 %1 文字省略）").arg(8388609 - DebugLog::kShownLineLength));
    EXPECT_EQ(lines[1], QStringLiteral("後の行"));
    EXPECT_EQ(lines[2], QStringLiteral("終了しました。"));

    // A line of the allowed length is shown whole; a cut never leaves half of a surrogate pair.
    const QString full(DebugLog::kShownLineLength, u'a');
    EXPECT_EQ(DebugLog::ShownLine(full), full);
    const QString pairs = QStringLiteral("x") + QStringLiteral("😀").repeated(DebugLog::kShownLineLength);
    const QString cut = DebugLog::ShownLine(pairs);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("x") +
                               QStringLiteral("😀").repeated(DebugLog::kShownLineLength / 2 - 1) +
                               QStringLiteral("…（以下 ")));
}

// Esc in the window and the Pause key stop a run; after any run the keyboard focus is back in the editor.
TEST(EditorRun, EscapeStopsARunAndTheFocusReturnsToTheEditor) {
    TestWindow w;
    w->activateWindow();
    w->txt_Macro->setFocus();
    ASSERT_TRUE(WaitFor([&] { return w->txt_Macro->hasFocus(); }));
    EXPECT_EQ(w->Menu_Stop->shortcut(), QKeySequence(Qt::Key_Pause));

    // Idle, Esc does nothing to the text or the log.
    w->txt_Macro->setPlainText(QStringLiteral("WHILE 1\nWEND"));
    QTest::keyClick(w->txt_Macro, Qt::Key_Escape);
    EXPECT_TRUE(LogLines(*w).isEmpty());

    After(300, [&] { QTest::keyClick(w.window.get(), Qt::Key_Escape); });
    w->Menu_Run_Click();
    EXPECT_EQ(w->Macro().Error().ErrorCode(), 100);
    EXPECT_EQ(LogLines(*w).last(), QStringLiteral("終了しました。"));
    ASSERT_TRUE(WaitFor([&] { return w->txt_Macro->hasFocus(); }));

    // Keys typed after a run go into the text.
    w->txt_Macro->moveCursor(QTextCursor::End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
    EXPECT_EQ(w->EditorText(), QStringLiteral("WHILE 1\nWENDx"));
}

// A macro that holds a modifier makes Esc arrive with it (Shift+Esc while it holds Shift): Esc stops the run
// whatever modifiers are down. A run Esc did not stop is stopped after a while, and the test fails.
TEST(EditorRun, EscapeWithModifiersDownStopsARun) {
    TestWindow w;
    w->activateWindow();
    w->txt_Macro->setPlainText(QStringLiteral("WHILE 1\nWEND"));
    const Qt::KeyboardModifiers held[] = {Qt::ShiftModifier, Qt::ControlModifier | Qt::ShiftModifier,
                                          Qt::AltModifier,
                                          Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier};
    for (const Qt::KeyboardModifiers modifiers : held) {
        QTimer fallback;
        fallback.setSingleShot(true);
        bool notStopped = false;
        QObject::connect(&fallback, &QTimer::timeout, [&] {
            notStopped = true;
            w->Menu_Stop_Click();
        });
        fallback.start(5000);
        After(300, [&] { QTest::keyClick(w.window.get(), Qt::Key_Escape, modifiers); });
        w->Menu_Run_Click();
        fallback.stop();
        EXPECT_FALSE(notStopped) << "Esc with modifiers " << modifiers.toInt();
        EXPECT_EQ(w->Macro().Error().ErrorCode(), 100);
    }
}
