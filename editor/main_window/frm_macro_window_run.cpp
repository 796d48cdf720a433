// The main window's run control: the run from the top, the function submenu and the run of one user function,
// Stop, the running state of menus, buttons, editor and status strip, and the tool-button dispatch.
#include "run_from_top.h"
#include "debug_log.h"
#include "editor_files.h"
#include "editor_widgets.h"
#include "frm_macro_window.h"
#include "focus_return.h"
#include "macro_facade.h"

#include <QShortcut>
#include <QTimer>

namespace {

// PRINT lines (and the closing line) are queued and shown in batches; error lines are shown at once, after
// the lines queued before them.
RunSinks LogSinks(frm_MacroWindow& window) {
    RunSinks sinks;
    sinks.output = [&window](const std::u16string& line) {
        window.mMacro_PrintOut(QString::fromStdU16String(line));
    };
    sinks.errors = [&window](const std::u16string& line) {
        window.AppendLog(QString::fromStdU16String(line));
    };
    return sinks;
}

} // namespace

bool frm_MacroWindow::PrepareMacro() {
    mMacro->SetSyncRun(Menu_Sync->isChecked());
    mMacro->SetMacroText(MacroTextForEngine());
    if (mMacro->Error().ErrorCode() == 0) return false;
    ShowMacroError(mMacro->Error(), LogSinks(*this));
    SetRunningState(false);
    return true;
}

void frm_MacroWindow::SetBufferPath(const QString& path) {
    bufferPath_ = path;
    buffer_.reset();
}

QString frm_MacroWindow::BufferPath() const {
    return buffer_ ? QtPath(buffer_->Path()) : bufferPath_;
}

// The run from the top: buffer file, mouse-state reset, parse and run (with their log lines) are the shared
// run of the command line; the window adds the running state around it and closes the message window after.
void frm_MacroWindow::Menu_Run_Click() {
    if (running_) return;
    mMacro->SetSyncRun(Menu_Sync->isChecked());
    SetRunningState(true);
    if (!buffer_) buffer_ = std::make_unique<OwnBufferFile>(SystemPath(bufferPath_));
    RunMacroFromTop(*mMacro, MacroTextForEngine(), *buffer_, LogSinks(*this));
    SetRunningState(false);
    ui_.CloseMessageWindow();
    FinishRun();
}

// Rebuilt each time the run menu opens. During a run the text is not parsed again: the engine is busy with
// it, and the submenu stays disabled by the running state.
void frm_MacroWindow::Menu_Execute_Click() {
    if (running_) return;
    for (int i = 0; i < Menu_FunctionCall.size(); ++i) Menu_FunctionCall[i]->setText(QString());
    while (Menu_FunctionCall.size() > 1) {
        QAction* item = Menu_FunctionCall.takeLast();
        Menu_RunFunction->removeAction(item);
        item->deleteLater();
    }
    if (PrepareMacro()) {
        Menu_RunFunction->menuAction()->setEnabled(false);
        return;
    }
    Menu_RunFunction->menuAction()->setEnabled(true);
    const int32_t count = mMacro->Engine().UserFunctionCount();
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) {
            QAction* item = Menu_RunFunction->addAction(QString());
            connect(item, &QAction::triggered, this, [this, i] { Menu_FunctionCall_Click(i); });
            Menu_FunctionCall.append(item);
        }
        // A caption's "&" would be taken as a mnemonic; names cannot hold one, but stay safe.
        QString name = QString::fromStdU16String(mMacro->Engine().UserFunctionName(i));
        Menu_FunctionCall[i]->setText(name.replace(QLatin1Char('&'), QStringLiteral("&&")));
        Menu_FunctionCall[i]->setVisible(true);
    }
}

void frm_MacroWindow::Menu_FunctionCall_Click(int index) {
    if (running_ || index < 0 || index >= Menu_FunctionCall.size()) return;
    QString name = Menu_FunctionCall[index]->text();
    name.replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (name.isEmpty()) return;
    if (PrepareMacro()) return;
    SetRunningState(true);
    mMacro->RunFunction(name.toStdU16String());
    if (mMacro->Error().ErrorCode() != 0) ShowMacroError(mMacro->Error(), LogSinks(*this));
    SetRunningState(false);
    AppendLog(QStringLiteral("終了しました。"));
    FinishRun();
}

// After a run: a close asked for during it goes ahead now.
void frm_MacroWindow::FinishRun() {
    if (!closeAfterRun_) return;
    closeAfterRun_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
}

// A paused run ends at once, without its paused line.
void frm_MacroWindow::Menu_Stop_Click() {
    mMacro->ForceStop();
    debugHost_.Go(DebugStep::Stop);
    ui_.CloseMessageWindow();
}

// Pause typed into this window during a run: the emergency stop, for every run on the desktop.
void frm_MacroWindow::PauseKey_Pressed() {
    emergencyStop_->StopAll();
    Menu_Stop_Click();
}

void frm_MacroWindow::Menu_Sync_Click() {
    // The action toggles its own check mark; the next run reads it.
}

void frm_MacroWindow::SetRunningState(bool running) {
    running_ = running;
    if (!running) log_->Flush(); // the whole run's output is in the log when the window is idle again
    Menu_Run->setEnabled(!running);
    Menu_RunFunction->menuAction()->setEnabled(!running);
    Menu_Config->menuAction()->setEnabled(!running);
    Menu_Stop->setEnabled(running);
    // The file and run buttons; the debugger's follow their menu items (UpdateDebugCommands).
    for (int i = 0; i < kFileAndRunButtons; ++i) {
        QToolButton* button = btn_ToolBar[static_cast<size_t>(i)];
        const bool isStop = button->property("tag").toString().toUpper() == QStringLiteral("STOP");
        button->setEnabled(isStop ? running : !running);
    }
    // The stop key is the desktop's only while a macro runs.
    if (running)
        emergencyStop_->Begin();
    else
        emergencyStop_->End();
    escapeStop_->setEnabled(running);
    pauseStop_->setEnabled(running);
    txt_Macro->setEnabled(!running);
    UpdateEditingCommands();
    // Disabling the editor moved the focus away; after a run it comes back, so keys typed next go to the
    // text, and the window is the desktop's active one again (a box of the run or a click elsewhere during
    // the run may have left another program's window active).
    if (!running) {
        txt_Macro->setFocus();
        focusReturn_->ReturnNow();
    }
    // Idle, the strip shows the caret's line again, however the run ended; the debug panes give the log its
    // place back.
    if (running) {
        ShowStatus(QStringLiteral("実行中"));
    } else {
        ShowCaretLine();
        if (debugShown_) EndDebugLayout();
    }
    UpdateDebugCommands();
}

void frm_MacroWindow::btn_ToolBar_Click(int index) {
    if (index < 0 || index >= static_cast<int>(btn_ToolBar.size())) return;
    const QString tag = btn_ToolBar[static_cast<size_t>(index)]->property("tag").toString().toUpper();
    if (tag == QStringLiteral("NEW")) {
        NewMacro();
        txt_Macro->setFocus();
    } else if (tag == QStringLiteral("OPEN")) {
        Menu_Open_Click();
    } else if (tag == QStringLiteral("SAVE")) {
        Menu_Save_Click();
    } else if (tag == QStringLiteral("RUN")) {
        Menu_Run_Click();
    } else if (tag == QStringLiteral("STOP")) {
        Menu_Stop_Click();
    } else if (QAction* action = DebugActionOfButton(index); action != nullptr && action->isEnabled()) {
        action->trigger();
    }
}
