// The dialogs of a windowless run on Windows, made with the Win32 API alone: the message box of MSGBOX, the
// input box of INPUTBOX, and what they share (the UI font, whether the desktop can show a window at all).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace Win32Dialogs {

// Asked again and again while a box waits; true once the run was asked to stop, which closes the box.
using StopCheck = std::function<bool()>;

// False when the process runs on a window station nobody sees (a service, a task run whether the user is
// logged on or not): a box there could never be answered.
bool DesktopIsInteractive();

// The UI font of the windows made here: "Yu Gothic UI", else "Meiryo UI", else "MS UI Gothic", else the
// system's message font; 9 points at the screen's DPI. Made once and kept for the life of the process.
HFONT UiFont();

// The MessageBoxW style for a macro's style number: buttons 0 to 5 (any other button part is OK alone), the
// stop, question, exclamation or information icon, the second or third button as the default where the box
// has one. Every other bit of the number is dropped, so no style can show a help button, go to another
// desktop or return a number a macro does not know.
UINT NativeMessageBoxStyle(int32_t style);

// The Japanese caption of a button by its number (1 OK … 7 No), with its access key.
const wchar_t* ButtonCaption(int32_t button);

// The modal message box: text, style number and title; returns the number of the button pressed (1 OK,
// 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). A box closed by a stop answers Cancel where it has
// one, else its first button.
int32_t ShowMessageBox(const std::u16string& text, int32_t style, const std::u16string& title,
                       const StopCheck& stopRequested);

// The modal input box: the prompt above an empty edit field, OK and キャンセル; returns the text typed when
// OK is pressed, "" when the box is cancelled, closed or closed by a stop.
std::u16string ShowInputBox(const std::u16string& prompt, const std::u16string& title,
                            const StopCheck& stopRequested);

// While it lives, a thread timer asks `stopRequested` every 100 ms (the modal loop of a box dispatches it)
// and ends the dialog `dialog()` names with IDCANCEL once the answer is true.
class StopWatch {
  public:
    StopWatch(const StopCheck& stopRequested, std::function<HWND()> dialog);
    ~StopWatch();
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

    // Whether the watch closed the dialog.
    bool Stopped() const { return stopped_; }

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);

    const StopCheck& stopRequested_;
    std::function<HWND()> dialog_;
    StopWatch* outer_;
    UINT_PTR timer_ = 0;
    bool stopped_ = false;
};

} // namespace Win32Dialogs
