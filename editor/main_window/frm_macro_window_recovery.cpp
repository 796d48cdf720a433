// The main window's recovery copy of a modified text: written a moment after typing stops, removed when the
// text is saved, loaded over or deliberately dropped, and offered back at the next start after a crash.
#include "editor_widgets.h"
#include "frm_macro_window.h"

#include <QDir>

#include <cstdio>

namespace {

const QString kRestoreQuestion = QStringLiteral("前回保存されずに終了したマクロがあります。\n復元しますか？");
const QString kRecoveryFailedText = QStringLiteral("復元用の控えを書き込めません。 - ");
const QString kRecoveryFallbackText = QStringLiteral("編集中のマクロの控えを書き込みました。 - ");
const QString kRecoveryLostText = QStringLiteral(
    "編集中のマクロの控えをどこにも書き込めなかったため、保存されていない変更は失われました。 - ");

// A line for whoever reads the program's standard error when no window is left to show it.
void WriteStandardError(const QString& line) {
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void frm_MacroWindow::SetUpRecovery() {
    recovery_ = std::make_unique<RecoveryStore>();
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(kRecoveryDelayMs);
    connect(&recoveryTimer_, &QTimer::timeout, this, &frm_MacroWindow::WriteRecoveryCopy);
    connect(txt_Macro, &QPlainTextEdit::textChanged, this, &frm_MacroWindow::OnEditorTextChanged);
    // The copy of a modified text carries its breakpoints too.
    connect(txt_Macro, &CodeTextEdit::BreakpointsChanged, this, [this] {
        if (IsModified()) recoveryTimer_.start();
    });
}

void frm_MacroWindow::SetRecoveryFolder(const QString& folder) {
    recoveryTimer_.stop();
    recovery_ = std::make_unique<RecoveryStore>(folder);
}

// Each change restarts the wait, so the copy is written once typing pauses, not on every key.
void frm_MacroWindow::OnEditorTextChanged() {
    recoveryTimer_.start();
}

// A text that is back to its saved state (undone, say) needs no copy any more. A copy that cannot be written
// is said once in the log, with the folder and the reason, while the copies keep failing: the user can save
// the text elsewhere meanwhile.
void frm_MacroWindow::WriteRecoveryCopy() {
    if (!IsModified()) {
        recovery_->Remove();
        recoveryWritten_ = true;
        return;
    }
    recoveryWritten_ = recovery_->Write(EditorText(), currentFilePath_, txt_Macro->Breakpoints());
    if (recoveryWritten_) {
        recoveryFailureShown_ = false;
    } else if (!recoveryFailureShown_) {
        recoveryFailureShown_ = true;
        AppendLog(kRecoveryFailedText + QDir::toNativeSeparators(recovery_->Folder()));
        AppendLog(recovery_->LastError());
    }
}

// The end without a user, with a modified text that its folder could not take: the copy goes to the first
// fallback folder that takes it, and standard error (the session's log) says where it went, or that the text
// could be kept nowhere. The next start offers a copy from the fallback folders too.
void frm_MacroWindow::KeepCopyInFallback() {
    QString reason = recovery_->LastError();
    for (const QString& folder : RecoveryStore::FallbackFolders()) {
        recovery_->MoveTo(folder);
        recoveryWritten_ = recovery_->Write(EditorText(), currentFilePath_, txt_Macro->Breakpoints());
        if (recoveryWritten_) {
            WriteStandardError(kRecoveryFallbackText + QDir::toNativeSeparators(recovery_->CopyPath()));
            return;
        }
        reason = recovery_->LastError();
    }
    textLost_ = true;
    WriteStandardError(kRecoveryLostText + reason);
}

void frm_MacroWindow::DiscardRecoveryCopy() {
    recoveryTimer_.stop();
    recovery_->Remove();
}

// Only into an unmodified editor, so that nothing typed is replaced. A restored text counts as modified (it
// differs from the saved text of a fresh window) and its copy stays this editor's own until it is saved or
// dropped; a discarded copy is deleted.
bool frm_MacroWindow::OfferRecovery() {
    if (IsModified()) return false;
    const std::optional<RecoveryCopy> copy = recovery_->ClaimNewestOrphan();
    if (!copy) return false;
    if (!dialogs_.askRestore(kRestoreQuestion)) {
        // The program's end closed the question: nobody chose to drop the copy, so it stays for the next
        // start.
        if (!endingWithoutUser_) recovery_->Remove();
        return false;
    }
    txt_Macro->setPlainText(copy->text);
    txt_Macro->SetBreakpoints(copy->breakpoints);
    currentFilePath_ = copy->filePath;
    SetCaption(copy->filePath);
    return true;
}

// A file asked for on the command line comes after the offer, as if opened with Open: with a restored text
// the unsaved-text question decides whether the restored text is saved, dropped or kept (then the file is
// not opened).
void frm_MacroWindow::StartEditing(const QString& path) {
    OfferRecovery();
    if (!path.isEmpty()) OpenFile(path);
}
