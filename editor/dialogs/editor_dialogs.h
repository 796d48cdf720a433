// EditorDialogs: the questions and choices the main window asks of its user (unsaved-text questions, file
// names, the recovery question, the tab-size input, refusals and notices, the font), replaceable so tests can
// script the answers.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

struct EditorDialogs {
    // A Yes/No/Cancel question; returns kButtonYes, kButtonNo or kButtonCancel (message_box_style.h).
    std::function<int32_t(const QString& text)> askYesNoCancel;
    // A Yes/No question; true for Yes.
    std::function<bool(const QString& text)> askYesNo;
    // The file to open or to save to; "" when the dialog was cancelled. The open dialog starts in the folder
    // of `startPath`, the save dialog there with its name filled in; both in the default folder when it is
    // "".
    std::function<QString(const QString& startPath)> openFileName;
    std::function<QString(const QString& startPath)> saveFileName;
    // The PNG file a captured picture is saved to, starting with `suggestedPath`; "" when cancelled. Asks
    // before replacing an existing file.
    std::function<QString(const QString& suggestedPath)> savePictureName;
    // Offers a text left by an editor that ended without saving it: true to restore it (the default button),
    // false to discard it.
    std::function<bool(const QString& text)> askRestore;
    // An input box with a default text; nothing when it was cancelled.
    std::function<std::optional<QString>(const QString& title, const QString& prompt, const QString& text)>
        inputText;
    // A message box with an OK button (refusals, the version notice).
    std::function<void(const QString& text)> inform;
    // The font dialog, starting from `font`; false when cancelled.
    std::function<bool(QFont& font)> chooseFont;
};

// The real Qt dialogs, owned by `owner`: message boxes titled "QuillonMacro", file dialogs with the macro
// file filter and the default extension "qlx".
EditorDialogs RealEditorDialogs(QWidget* owner);
