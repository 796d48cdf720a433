// The main window's end without a user to ask (a stop signal, the end of the session): the text kept in its
// recovery copy, the run stopped through Stop so it lets go of its keys, the open dialogs cancelled, then the
// window closed and the program ended; and the run's buffer file removed even when the toolkit ends the
// program by itself (it calls exit() when its display connection breaks).
#include "frm_macro_window.h"

#include <QApplication>
#include <QDialog>

#include <cstdlib>

namespace {

constexpr int kEndingStepMs = 50;
constexpr int kEndingPatienceSteps = 40;

// The buffer file of the window that is open, for the removal at exit.
std::unique_ptr<OwnBufferFile>* bufferOfOpenWindow = nullptr;

void RemoveBufferAtExit() {
    if (bufferOfOpenWindow != nullptr && *bufferOfOpenWindow) (*bufferOfOpenWindow)->Remove();
}

} // namespace

void frm_MacroWindow::SetUpEnding() {
    endingTimer_.setInterval(kEndingStepMs);
    connect(&endingTimer_, &QTimer::timeout, this, &frm_MacroWindow::ContinueEnding);
    static const bool registered = std::atexit(RemoveBufferAtExit) == 0;
    (void)registered;
    bufferOfOpenWindow = &buffer_;
    // The session's end on Windows: Qt quits the program and the system ends it right after.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (buffer_) buffer_->Remove();
    });
}

void frm_MacroWindow::EndWithoutUser() {
    endingWithoutUser_ = true;
    KeepRecoveryCopyNow();
    if (IsModified() && !recoveryWritten_) KeepCopyInFallback();
    if (running_) {
        closeAfterRun_ = true;
        Menu_Stop_Click();
    }
    CloseOtherWindows();
    if (!endingTimer_.isActive()) endingTimer_.start();
}

// An unmodified text leaves the copy alone unless an edit since the last copy brought it back to its saved
// state: while the restore question is open the copy is the one left by another editor, not this text's.
void frm_MacroWindow::KeepRecoveryCopyNow() {
    const bool editedSinceCopy = recoveryTimer_.isActive();
    recoveryTimer_.stop();
    if (IsModified() || editedSinceCopy) WriteRecoveryCopy();
}

// Each step waits for what is still under way: a run until it has ended (a dialog of the macro is cancelled
// so it can), a dialog of the window until its own loop has returned. Then the window closes; the program
// ends with it, or at the next step if some other window kept it going.
void frm_MacroWindow::ContinueEnding() {
    if (running_) {
        mMacro->ForceStop();
        CloseOtherWindows();
        return;
    }
    // A window that will not close holds the end up for a while only.
    if (CloseOtherWindows() && ++endingWaits_ < kEndingPatienceSteps) return;
    if (isVisible())
        close();
    else
        QCoreApplication::quit();
    // An end that lost the text says so in its status too.
    if (textLost_) QCoreApplication::exit(1);
}

// Cancels every dialog and closes every other window that is open; true when there was one.
bool frm_MacroWindow::CloseOtherWindows() {
    bool any = false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == this || !window->isVisible()) continue;
        any = true;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
    }
    return any;
}

void frm_MacroWindow::ForgetEnding() {
    if (bufferOfOpenWindow == &buffer_) bufferOfOpenWindow = nullptr;
}
