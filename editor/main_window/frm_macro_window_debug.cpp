// The main window's debugger: the 実行 menu's pause, continue, steps and run to the caret's line and their
// tool buttons, breakpoints (F9 and the gutter) handed to the engine, the paused state (line, status strip,
// panes given room of their own) and the value of a variable under the mouse while paused.
#include "debug_log.h"
#include "debug_panes.h"
#include "editor_widgets.h"
#include "frm_macro_window.h"
#include "macro_facade.h"

#include <QHelpEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

namespace {

std::vector<int32_t> EngineLines(const QList<int>& lines) {
    return std::vector<int32_t>(lines.begin(), lines.end());
}

} // namespace

void frm_MacroWindow::BuildDebugMenu() {
    Menu_Execute->addSeparator();
    const auto add = [this](const QString& caption, const QKeySequence& key,
                            void (frm_MacroWindow::*slot)()) {
        QAction* action = Menu_Execute->addAction(caption, this, slot);
        action->setShortcut(key);
        return action;
    };
    Menu_Pause = add(QStringLiteral("一時停止(&P)"), QKeySequence(), &frm_MacroWindow::Menu_Pause_Click);
    // F5 runs from the top while idle (先頭から実行) and goes on while paused: only one of the two is
    // enabled at a time.
    Menu_Continue =
        add(QStringLiteral("続行(&C)"), QKeySequence(Qt::Key_F5), &frm_MacroWindow::Menu_Continue_Click);
    Menu_StepOver = add(QStringLiteral("ステップ実行(&O)"), QKeySequence(Qt::Key_F10),
                        &frm_MacroWindow::Menu_StepOver_Click);
    Menu_StepInto = add(QStringLiteral("ステップイン(&I)"), QKeySequence(Qt::Key_F11),
                        &frm_MacroWindow::Menu_StepInto_Click);
    Menu_StepOut = add(QStringLiteral("ステップアウト(&U)"), QKeySequence(Qt::SHIFT | Qt::Key_F11),
                       &frm_MacroWindow::Menu_StepOut_Click);
    Menu_RunToCursor = add(QStringLiteral("カーソル行まで実行(&T)"), QKeySequence(Qt::CTRL | Qt::Key_F10),
                           &frm_MacroWindow::Menu_RunToCursor_Click);
    Menu_Execute->addSeparator();
    Menu_Breakpoint = add(QStringLiteral("ブレークポイントの設定/解除(&B)"), QKeySequence(Qt::Key_F9),
                          &frm_MacroWindow::Menu_Breakpoint_Click);
}

// The engine tells the window of each pause; breakpoints go to the engine as they change, so one set during
// a run applies from the next line on.
void frm_MacroWindow::SetUpDebugger() {
    pic_Debug = new DebugPanes(client_);
    pic_Debug->hide();
    debugHost_.onPause = [this](cMoMacro_Engine& engine) { OnDebugPause(engine); };
    debugHost_.onResume = [this] { OnDebugResume(); };
    mMacro->Engine().SetDebugHost(&debugHost_);
    connect(txt_Macro, &CodeTextEdit::BreakpointsChanged, this,
            [this] { mMacro->Engine().SetBreakpoints(EngineLines(txt_Macro->Breakpoints())); });
    txt_Macro->viewport()->installEventFilter(this);
    UpdateDebugCommands();
}

void frm_MacroWindow::UpdateDebugCommands() {
    if (Menu_Pause == nullptr) return;
    const bool paused = IsPaused();
    Menu_Pause->setEnabled(running_ && !paused);
    Menu_Continue->setEnabled(paused);
    Menu_StepOver->setEnabled(!running_ || paused);
    Menu_StepInto->setEnabled(!running_ || paused);
    Menu_StepOut->setEnabled(paused);
    Menu_RunToCursor->setEnabled(!running_ || paused);
    for (int i = kFileAndRunButtons; i < kToolButtonCount; ++i) {
        const QAction* action = DebugActionOfButton(i);
        btn_ToolBar[static_cast<size_t>(i)]->setEnabled(action != nullptr && action->isEnabled());
    }
}

void frm_MacroWindow::OnDebugPause(cMoMacro_Engine& engine) {
    const std::vector<DebugFrame> frames = engine.DebugFrames();
    const int line = frames.empty() ? 0 : frames.front().line;
    // While paused the text can be read, its caret moved (for a breakpoint or the line to run to) and its
    // variables pointed at, but not changed.
    txt_Macro->setReadOnly(true);
    txt_Macro->setEnabled(true);
    txt_Macro->SetPausedLine(line);
    ShowStatus(QStringLiteral("一時停止　行＝%1").arg(line));
    log_->Flush();
    pic_Debug->ShowPause(engine);
    if (!debugShown_) StartDebugLayout();
    UpdateDebugCommands();
}

// The panes need more room than a log of a few lines: the lower part grows to kDebugPaneHeight for the
// run (the text keeps at least its minimum height) and gets its own height back when the run ends.
void frm_MacroWindow::StartDebugLayout() {
    debugShown_ = true;
    separatorBeforeDebug_ = -1;
    const int msgTop = client_->height() - kStatusHeight;
    const int top = std::max(txt_Macro->y() + minPaneHeight_, msgTop - kSeparatorHeight - kDebugPaneHeight);
    if (top < pic_Sep->y()) {
        separatorBeforeDebug_ = pic_Sep->y();
        pic_Sep->move(0, top);
    }
    LayoutPanes();
}

void frm_MacroWindow::EndDebugLayout() {
    debugShown_ = false;
    if (separatorBeforeDebug_ >= 0) {
        const int msgTop = client_->height() - kStatusHeight;
        pic_Sep->move(0, std::clamp(separatorBeforeDebug_, txt_Macro->y() + minPaneHeight_,
                                    std::max(txt_Macro->y() + minPaneHeight_, msgTop - kSeparatorHeight)));
        separatorBeforeDebug_ = -1;
    }
    LayoutPanes();
}

void frm_MacroWindow::OnDebugResume() {
    pic_Debug->EndPause();
    txt_Macro->SetPausedLine(0);
    txt_Macro->setEnabled(!running_);
    txt_Macro->setReadOnly(false);
    if (running_) ShowStatus(QStringLiteral("実行中"));
    UpdateDebugCommands();
}

void frm_MacroWindow::Menu_Pause_Click() {
    if (running_ && !IsPaused()) mMacro->Engine().RequestPause();
}

void frm_MacroWindow::Menu_Continue_Click() {
    debugHost_.Go(DebugStep::Continue);
}

void frm_MacroWindow::StepOrStart(DebugStep step) {
    if (IsPaused()) {
        debugHost_.Go(step);
        return;
    }
    if (running_) return;
    mMacro->Engine().StartNextRunPaused();
    Menu_Run_Click();
}

void frm_MacroWindow::Menu_StepOver_Click() {
    StepOrStart(DebugStep::StepOver);
}

void frm_MacroWindow::Menu_StepInto_Click() {
    StepOrStart(DebugStep::StepInto);
}

void frm_MacroWindow::Menu_StepOut_Click() {
    debugHost_.Go(DebugStep::StepOut);
}

// Paused, the run goes on to the caret's line; idle, a run from the top stops there (as at a breakpoint
// set for this run alone).
void frm_MacroWindow::Menu_RunToCursor_Click() {
    const int line = txt_Macro->CaretLine();
    if (IsPaused()) {
        debugHost_.Go(DebugStep::RunToLine, line);
        return;
    }
    if (running_) return;
    QList<int> lines = txt_Macro->Breakpoints();
    lines.append(line);
    mMacro->Engine().SetBreakpoints(EngineLines(lines));
    Menu_Run_Click();
    mMacro->Engine().SetBreakpoints(EngineLines(txt_Macro->Breakpoints()));
}

void frm_MacroWindow::Menu_Breakpoint_Click() {
    txt_Macro->ToggleBreakpointAtLine(txt_Macro->CaretLine());
}

// While paused, the mouse over a variable's name shows its value as the 変数 pane does.
bool frm_MacroWindow::ShowValueTip(QEvent* event) {
    if (!IsPaused()) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QTextCursor at = txt_Macro->cursorForPosition(help->pos());
    at.select(QTextCursor::WordUnderCursor);
    QString value;
    if (at.selectedText().isEmpty() || !pic_Debug->ValueOf(at.selectedText(), value)) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(help->globalPos(), at.selectedText() + QStringLiteral(" = ") + value, txt_Macro);
    return true;
}
