// Tests of the editor's debugger with real keys on a shown window: F9 breakpoints and the gutter, F5 to a
// breakpoint and on, F10/F11/Shift+F11 steps and Ctrl+F10, the paused state (line, status strip, panes,
// changed values, arrays in pages, the value under the mouse), Esc stopping a paused run, the tool buttons,
// and lines evaluated in the 式 field.
#include "debug_panes.h"
#include "editor_test_support.h"
#include "editor_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

using namespace editor_testing;

namespace {

// What one pause showed.
struct PauseSeen {
    int line = 0;
    QString status;
    QStringList variables; // "NAME=VALUE:TYPE" of the 変数 pane, changed ones marked with "*"
    QStringList calls;
    bool panesShown = false;
};

QStringList VariablesShown(const DebugPanes& panes) {
    QStringList list;
    const QTreeWidget* tree = panes.Variables();
    for (int g = 0; g < tree->topLevelItemCount(); ++g)
        for (int i = 0; i < tree->topLevelItem(g)->childCount(); ++i) {
            const QTreeWidgetItem* item = tree->topLevelItem(g)->child(i);
            const bool changed = item->background(0).style() != Qt::NoBrush;
            list << (changed ? QStringLiteral("*") : QString()) + item->text(0) + QLatin1Char('=') +
                        item->text(1) + QLatin1Char(':') + item->text(2);
        }
    return list;
}

using Answer = std::function<void(frm_MacroWindow&)>;

// A key (or another answer) for each pause, given once the pause is shown; `also` runs at each pause first.
class PauseAnswers {
  public:
    PauseAnswers(frm_MacroWindow& window, const std::deque<QKeySequence>& keys, Answer also = {})
        : PauseAnswers(window, Pressing(keys), std::move(also)) {}
    PauseAnswers(frm_MacroWindow& window, std::deque<Answer> answers, Answer also = {})
        : window_(window), keys_(std::move(answers)), also_(std::move(also)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(20);
    }
    std::vector<PauseSeen> seen;

  private:
    void Look() {
        if (!window_.IsPaused() || keys_.empty()) return;
        PauseSeen pause;
        pause.line = window_.txt_Macro->PausedLine();
        pause.status = window_.pic_Msg->text();
        pause.variables = VariablesShown(*window_.pic_Debug);
        for (int i = 0; i < window_.pic_Debug->Calls()->count(); ++i)
            pause.calls << window_.pic_Debug->Calls()->item(i)->text();
        pause.panesShown = window_.pic_Debug->isVisible();
        seen.push_back(pause);
        if (also_) also_(window_);
        const Answer answer = keys_.front();
        keys_.pop_front();
        answer(window_);
    }

    static std::deque<Answer> Pressing(const std::deque<QKeySequence>& keys) {
        std::deque<Answer> answers;
        for (const QKeySequence& key : keys)
            answers.push_back([key](frm_MacroWindow& window) { QTest::keySequence(&window, key); });
        return answers;
    }

    frm_MacroWindow& window_;
    std::deque<Answer> keys_;
    Answer also_;
    QTimer timer_;
};

// The debugger's tool buttons by their tips, enabled or not: "一時停止+" for an enabled one.
QStringList DebugButtons(const frm_MacroWindow& window) {
    QStringList list;
    for (int i = frm_MacroWindow::kFileAndRunButtons; i < frm_MacroWindow::kToolButtonCount; ++i) {
        const QToolButton* button = window.btn_ToolBar[static_cast<size_t>(i)];
        list << button->toolTip() + (button->isEnabled() ? QStringLiteral("+") : QStringLiteral("-"));
    }
    return list;
}

Answer Clicking(const char* tip) {
    return [tip](frm_MacroWindow& window) {
        for (QToolButton* button : window.btn_ToolBar)
            if (button->toolTip() == QString::fromUtf8(tip)) QTest::mouseClick(button, Qt::LeftButton);
    };
}

// Keys reach the window's shortcuts only once it is the active window.
void Activate(frm_MacroWindow& w) {
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
}

void PutCaretOnLine(frm_MacroWindow& w, int line) {
    QTextCursor at(w.txt_Macro->document()->findBlockByNumber(line - 1));
    w.txt_Macro->setTextCursor(at);
}

const char kMacro[] = "DIM x, r\n"          // 1
                      "x = 1\n"             // 2
                      "x = x + 1\n"         // 3
                      "r = Twice(x)\n"      // 4
                      "PRINT r\n"           // 5
                      "FUNCTION Twice(n)\n" // 6
                      "  DIM t\n"           // 7
                      "  t = n * 2\n"       // 8
                      "  Twice = t\n"       // 9
                      "END FUNCTION\n";     // 10

} // namespace

TEST(EditorDebugger, BreakpointStepsAndPanesWithRealKeys) {
    TestWindow w;
    Activate(*w);
    w->txt_Macro->setPlainText(QString::fromUtf8(kMacro));
    w->txt_Macro->setFocus();
    PutCaretOnLine(*w, 3);
    QTest::keyClick(w->txt_Macro, Qt::Key_F9);
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{3}));
    // F5 runs to the breakpoint; F10 steps over line 3; F11 steps into Twice; F10 twice inside it; Shift+F11
    // out to line 5; F5 goes on to the end.
    PauseAnswers answers(*w, {QKeySequence(Qt::Key_F10), QKeySequence(Qt::Key_F11), QKeySequence(Qt::Key_F10),
                              QKeySequence(Qt::Key_F10), QKeySequence(Qt::SHIFT | Qt::Key_F11),
                              QKeySequence(Qt::Key_F5)});
    QTest::keyClick(w.window.get(), Qt::Key_F5);
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    std::vector<int> lines;
    for (const PauseSeen& pause : answers.seen) lines.push_back(pause.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 7, 8, 9, 5}));
    ASSERT_EQ(answers.seen.size(), 6u);
    EXPECT_EQ(answers.seen[0].status, QStringLiteral("一時停止　行＝3"));
    EXPECT_TRUE(answers.seen[0].panesShown);
    EXPECT_EQ(answers.seen[0].variables, (QStringList{"X=1:数値", "R=:空"}));
    // The value line 3 changed is marked at the next pause.
    EXPECT_EQ(answers.seen[1].variables, (QStringList{"*X=2:数値", "R=:空"}));
    // Inside the call: its own variables, then the globals; the calls innermost first.
    EXPECT_EQ(answers.seen[3].variables,
              (QStringList{"TWICE=:空", "N=2:数値", "T=:空", "X=2:数値", "R=:空"}));
    EXPECT_EQ(answers.seen[3].calls, (QStringList{"TWICE　行＝8", "（メイン）　行＝4"}));
    EXPECT_EQ(answers.seen[5].variables, (QStringList{"X=2:数値", "*R=4:数値"}));
    // After the run: its output, the panes gone, the strip on the caret's line, no line marked.
    EXPECT_EQ(LogLines(*w), (QStringList{"4", "終了しました。"}));
    EXPECT_FALSE(w->pic_Debug->isVisible());
    EXPECT_EQ(w->txt_Macro->PausedLine(), 0);
    EXPECT_TRUE(w->pic_Msg->text().startsWith(QStringLiteral("行＝")));
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{3}));
}

TEST(EditorDebugger, StepFromIdleRunToCaretAndTheGutter) {
    TestWindow w;
    Activate(*w);
    w->txt_Macro->setPlainText(QString::fromUtf8(kMacro));
    // A click on the gutter beside line 2 sets a breakpoint there, a second one takes it away.
    const QRect second =
        w->txt_Macro->cursorRect(QTextCursor(w->txt_Macro->document()->findBlockByNumber(1)));
    QTest::mouseClick(w->txt_Macro->Gutter(), Qt::LeftButton, {}, QPoint(4, second.center().y()));
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{2}));
    QTest::mouseClick(w->txt_Macro->Gutter(), Qt::LeftButton, {}, QPoint(4, second.center().y()));
    EXPECT_TRUE(w->txt_Macro->Breakpoints().isEmpty());

    // F10 while idle starts the run paused at its first line; there the caret goes to line 8 and Ctrl+F10
    // runs to it.
    PauseAnswers answers(*w, {QKeySequence(Qt::CTRL | Qt::Key_F10), QKeySequence(Qt::Key_F5)},
                         [](frm_MacroWindow& window) {
                             if (window.txt_Macro->PausedLine() == 1) PutCaretOnLine(window, 8);
                         });
    w->txt_Macro->setFocus();
    QTest::keyClick(w.window.get(), Qt::Key_F10);
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].line, 1);
    EXPECT_EQ(answers.seen[1].line, 8);
    EXPECT_EQ(LogLines(*w), (QStringList{"4", "終了しました。"}));

    // Ctrl+F10 while idle runs from the top to the caret's line.
    PutCaretOnLine(*w, 5);
    PauseAnswers toLine(*w, {QKeySequence(Qt::Key_F5)});
    w->txt_Macro->setFocus();
    QTest::keyClick(w.window.get(), Qt::Key_F10, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    ASSERT_EQ(toLine.seen.size(), 1u);
    EXPECT_EQ(toLine.seen[0].line, 5);
    EXPECT_TRUE(w->txt_Macro->Breakpoints().isEmpty());

    // Its tool button does the same.
    PutCaretOnLine(*w, 8);
    PauseAnswers byButton(*w, {QKeySequence(Qt::Key_F5)});
    Clicking("カーソル行まで実行")(*w);
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    ASSERT_EQ(byButton.seen.size(), 1u);
    EXPECT_EQ(byButton.seen[0].line, 8);
}

TEST(EditorDebugger, EscapeStopsAPausedRunBeforeItsLine) {
    TestWindow w;
    Activate(*w);
    w->txt_Macro->setPlainText(QStringLiteral("DIM a(250)\na(7) = \"seven\"\nPRINT \"never\"\n"));
    w->txt_Macro->SetBreakpoints({3});
    QStringList pages;
    QStringList firstPage;
    // At the pause the array opens into pages, and its first page into elements.
    PauseAnswers answers(*w, {QKeySequence(Qt::Key_Escape)}, [&](frm_MacroWindow& window) {
        QTreeWidget* tree = window.pic_Debug->Variables();
        QTreeWidgetItem* array = tree->topLevelItem(0)->child(0);
        array->setExpanded(true);
        for (int i = 0; i < array->childCount(); ++i) pages << array->child(i)->text(0);
        if (array->childCount() == 0) return;
        array->child(0)->setExpanded(true);
        for (int i = 0; i < array->child(0)->childCount() && i < 8; ++i)
            firstPage << array->child(0)->child(i)->text(1);
    });
    w->Menu_Run_Click();
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].variables, (QStringList{"A=(0 To 250):配列"}));
    EXPECT_EQ(pages, (QStringList{"(0 … 99)", "(100 … 199)", "(200 … 250)"}));
    EXPECT_EQ(firstPage, (QStringList{"", "", "", "", "", "", "", "seven"}));
    // The paused line never ran, and the run is over.
    EXPECT_FALSE(LogLines(*w).contains(QStringLiteral("never")));
    EXPECT_FALSE(w->IsRunning());
    EXPECT_FALSE(w->IsPaused());
}

TEST(EditorDebugger, ToolButtonsPauseStepAndGoOn) {
    TestWindow w;
    Activate(*w);
    // A loop long enough to be paused with the 一時停止 button while it runs.
    w->txt_Macro->setPlainText(QStringLiteral("DIM i\nWHILE i < 100000000\n  i = i + 1\nWEND\nPRINT i\n"));
    QStringList whilePaused;
    QTimer pauser;
    QObject::connect(&pauser, &QTimer::timeout, [&] {
        if (!w->IsRunning() || w->IsPaused()) return;
        pauser.stop();
        EXPECT_EQ(DebugButtons(*w), (QStringList{"一時停止+", "続行-", "ステップ実行-", "ステップイン-",
                                                 "ステップアウト-", "カーソル行まで実行-"}));
        Clicking("一時停止")(*w);
    });
    pauser.start(50);
    // Paused inside the loop: a step with its button, then 停止 ends the run there.
    PauseAnswers answers(*w, std::deque<Answer>{Clicking("ステップ実行"), Clicking("停止")},
                         [&](frm_MacroWindow& window) { whilePaused = DebugButtons(window); });
    Clicking("実行")(*w);
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(whilePaused, (QStringList{"一時停止-", "続行+", "ステップ実行+", "ステップイン+",
                                        "ステップアウト+", "カーソル行まで実行+"}));
    // The first pause is at one of the loop's lines, the step goes to the next of them.
    const int first = answers.seen[0].line;
    EXPECT_TRUE(first >= 2 && first <= 4) << first;
    EXPECT_EQ(answers.seen[1].line, first == 3 ? 4 : first == 4 ? 2 : 3);
    EXPECT_FALSE(LogLines(*w).contains(QStringLiteral("100000000")));
    EXPECT_EQ(DebugButtons(*w), (QStringList{"一時停止-", "続行-", "ステップ実行+", "ステップイン+",
                                             "ステップアウト-", "カーソル行まで実行+"}));
}

TEST(EditorDebugger, TheExpressionFieldEvaluatesInThePausedCallAndAssigns) {
    TestWindow w;
    Activate(*w);
    w->txt_Macro->setPlainText(QString::fromUtf8(kMacro));
    w->txt_Macro->SetBreakpoints({9});
    EXPECT_FALSE(w->pic_Debug->Expression()->isEnabled()); // nothing to evaluate in while idle
    w->resize(700, 600);
    QApplication::processEvents();
    const int separator = w->pic_Sep->y();
    const int logHeight = w->txt_Log->height();
    int panesHeight = 0;
    QStringList results;
    QStringList variables;
    const auto evaluate = [&](frm_MacroWindow& window, const QString& line) {
        QLineEdit* field = window.pic_Debug->Expression();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, line);
        QTest::keyClick(field, Qt::Key_Return);
        results << window.pic_Debug->Result()->text();
    };
    PauseAnswers answers(*w, {QKeySequence(Qt::Key_F5)}, [&](frm_MacroWindow& window) {
        EXPECT_TRUE(window.pic_Debug->Expression()->isEnabled());
        panesHeight = window.pic_Debug->height();
        evaluate(window, QStringLiteral("t + n + x"));
        evaluate(window, QStringLiteral("\"t=\" + STR(t)"));
        evaluate(window, QStringLiteral("t +"));
        evaluate(window, QStringLiteral("t = 50"));
        variables = VariablesShown(*window.pic_Debug);
    });
    w->Menu_Run_Click();
    ASSERT_TRUE(WaitFor([&] { return !w->IsRunning(); }));
    ASSERT_EQ(results.size(), 4);
    EXPECT_EQ(results[0], QStringLiteral("＝ 8　（数値）")); // t = 4, n = 2, x = 2
    EXPECT_EQ(results[1], QStringLiteral("＝ \"t=4\"　（文字列）"));
    EXPECT_TRUE(results[2].startsWith(QStringLiteral("エラー："))) << results[2].toStdString();
    EXPECT_EQ(results[3], QStringLiteral("代入しました：50　（数値）"));
    // The pane shows the value given, and the run went on with it.
    EXPECT_TRUE(variables.contains(QStringLiteral("*T=50:数値"))) << variables.join(u' ').toStdString();
    EXPECT_EQ(LogLines(*w), (QStringList{"50", "終了しました。"}));
    EXPECT_FALSE(w->pic_Debug->Expression()->isEnabled());
    // The panes had room of their own while the run was paused; afterwards the log has its height back.
    EXPECT_LT(logHeight, frm_MacroWindow::kDebugPaneHeight);
    EXPECT_EQ(panesHeight, frm_MacroWindow::kDebugPaneHeight);
    EXPECT_EQ(w->pic_Sep->y(), separator);
    EXPECT_EQ(w->txt_Log->height(), logHeight);
}
