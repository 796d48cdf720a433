// The main window's real dialogs: styled message boxes, the open and save dialogs for macro files, the
// recovery question, the input box and the font dialog.
#include "editor_dialogs.h"

#include "message_box_style.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("QuillonMacro");

// The open dialog starts in the folder of startPath; the save dialog there too, with its name filled in.
QString AskFileName(QWidget* owner, QFileDialog::AcceptMode mode, const QString& startPath) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("QuillonMacro (*.qlx)"), QStringLiteral("AllFiles (*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("qlx"));
    if (!startPath.isEmpty()) {
        const QFileInfo start(startPath);
        dialog.setDirectory(start.absolutePath());
        if (mode == QFileDialog::AcceptSave) dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

// Restore is the default button; a box closed without a button restores too, as that loses nothing.
bool AskRestore(QWidget* owner, const QString& text) {
    QMessageBox box(owner);
    box.setWindowTitle(kTitle);
    box.setIcon(QMessageBox::Question);
    box.setText(text);
    QPushButton* restore = box.addButton(QStringLiteral("復元"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("破棄"), QMessageBox::DestructiveRole);
    restore->setObjectName(QStringLiteral("restoreButton"));
    discard->setObjectName(QStringLiteral("discardButton"));
    box.setDefaultButton(restore);
    box.setEscapeButton(restore);
    box.exec();
    return box.clickedButton() != discard;
}

} // namespace

EditorDialogs RealEditorDialogs(QWidget* owner) {
    EditorDialogs d;
    d.askYesNoCancel = [owner](const QString& text) {
        return ShowStyledMessageBox(text, kStyleYesNoCancel + kStyleIconExclamation, kTitle, owner);
    };
    d.askYesNo = [owner](const QString& text) {
        return ShowStyledMessageBox(text, kStyleYesNo + kStyleIconQuestion, kTitle, owner) == kButtonYes;
    };
    d.openFileName = [owner](const QString& start) {
        return AskFileName(owner, QFileDialog::AcceptOpen, start);
    };
    d.saveFileName = [owner](const QString& start) {
        return AskFileName(owner, QFileDialog::AcceptSave, start);
    };
    d.savePictureName = [owner](const QString& suggested) {
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters({QStringLiteral("PNG (*.png)")});
        dialog.setDefaultSuffix(QStringLiteral("png"));
        dialog.setDirectory(QFileInfo(suggested).absolutePath());
        dialog.selectFile(QFileInfo(suggested).fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().constFirst();
    };
    d.askRestore = [owner](const QString& text) { return AskRestore(owner, text); };
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
