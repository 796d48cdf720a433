// The message box of MSGBOX and of the editor's questions: a style number (buttons + icon + default button)
// turned into a Qt message box, and the button pressed turned back into its number.
#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// Button numbers returned to macros.
enum MessageBoxButton : int32_t {
    kButtonOk = 1,
    kButtonCancel = 2,
    kButtonAbort = 3,
    kButtonRetry = 4,
    kButtonIgnore = 5,
    kButtonYes = 6,
    kButtonNo = 7,
};

// Style numbers of the editor's questions.
inline constexpr int32_t kStyleYesNoCancel = 3;
inline constexpr int32_t kStyleYesNo = 4;
inline constexpr int32_t kStyleIconQuestion = 32;
inline constexpr int32_t kStyleIconExclamation = 48;
inline constexpr int32_t kStyleIconInformation = 64;

// The buttons of a style in their order (the default-button part counts in this order): 0 OK, 1 OK Cancel,
// 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel; any other button part shows OK alone.
std::vector<int32_t> ButtonsOfStyle(int32_t style);

// The icon of a style: 16 stop, 32 question, 48 exclamation, 64 information, otherwise none.
QMessageBox::Icon IconOfStyle(int32_t style);

// Index into ButtonsOfStyle of the default button: 256 the second, 512 the third; the first when the style
// has no such button.
int DefaultButtonIndexOfStyle(int32_t style);

// A modal message box with the style's buttons (Japanese captions with mnemonics), icon and default
// button, text and title. Each button carries its number in the property "buttonNumber".
std::unique_ptr<QMessageBox> BuildStyledMessageBox(const QString& text, int32_t style, const QString& title,
                                                   QWidget* parent = nullptr);

// The number of the button that closed the box. A box closed without a button (Escape, the close button)
// answers Cancel when it has one, otherwise its only or first button.
int32_t PressedButtonNumber(const QMessageBox& box, int32_t style);

// Shows the box modally and returns the number of the button pressed.
int32_t ShowStyledMessageBox(const QString& text, int32_t style, const QString& title,
                             QWidget* parent = nullptr);
