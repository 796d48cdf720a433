// The main window's real dialogs: styled message boxes, the open and save dialogs for macro files, the input
// box and the font dialog.
#include "editor_dialogs.h"

#include "message_box_style.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>

namespace {

const QString kTitle = QStringLiteral("QuillonMacro");

QString AskFileName(QWidget* owner, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("QuillonMacro (*.qlx)"), QStringLiteral("AllFiles (*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("qlx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

EditorDialogs RealEditorDialogs(QWidget* owner) {
    EditorDialogs d;
    d.askYesNoCancel = [owner](const QString& text) {
        return ShowStyledMessageBox(text, kStyleYesNoCancel + kStyleIconExclamation, kTitle, owner);
    };
    d.openFileName = [owner] { return AskFileName(owner, QFileDialog::AcceptOpen); };
    d.saveFileName = [owner] { return AskFileName(owner, QFileDialog::AcceptSave); };
    d.inputText = [owner](const QString& title, const QString& prompt,
                          const QString& text) -> std::optional<QString> {
        QInputDialog dialog(owner);
        dialog.setWindowTitle(title);
        dialog.setLabelText(prompt);
        dialog.setTextValue(text);
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("キャンセル"));
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.textValue();
    };
    d.inform = [owner](const QString& text) { ShowStyledMessageBox(text, 0, kTitle, owner); };
    d.chooseFont = [owner](QFont& font) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, owner);
        if (ok) font = chosen;
        return ok;
    };
    return d;
}
