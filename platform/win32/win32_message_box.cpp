// The message box of MSGBOX on Windows: the system's MessageBoxW with the style cut to what macros know, the
// buttons captioned in Japanese whatever the system's language, and closed by a stop of the run.
#include "win32_dialogs.h"
#include "win32_text.h"

namespace Win32Dialogs {

namespace {

// The box being shown on this thread, caught when it is initialised.
thread_local HWND shownBox = nullptr;

// Before the box handles its WM_INITDIALOG (where it measures its buttons), the buttons get their Japanese
// captions; the box is kept for the stop.
LRESULT CALLBACK BeforeWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && shownBox == nullptr) {
        shownBox = message->hwnd;
        for (int32_t button = IDOK; button <= IDNO; ++button)
            if (const HWND item = GetDlgItem(message->hwnd, button))
                SetWindowTextW(item, ButtonCaption(button));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The answer of a box that was not answered with a button: Cancel where it has one, else its first button.
int32_t UnansweredButton(UINT nativeStyle) {
    switch (nativeStyle & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDYES;
    case MB_OK:
        return IDOK;
    default:
        return IDCANCEL;
    }
}

} // namespace

int32_t ShowMessageBox(const std::u16string& text, int32_t style, const std::u16string& title,
                       const StopCheck& stopRequested) {
    const UINT nativeStyle = NativeMessageBoxStyle(style);
    // A run already asked to stop shows no box that would close again at once.
    if (stopRequested && stopRequested()) return UnansweredButton(nativeStyle);
    shownBox = nullptr;
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, BeforeWindowProcedure, nullptr, GetCurrentThreadId());
    int answer = 0;
    bool stopped = false;
    {
        StopWatch watch(stopRequested, [] { return shownBox; });
        // A run from a console or a scheduled task owns no window: the box comes to the front by itself.
        answer =
            MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(), nativeStyle | MB_SETFOREGROUND);
        stopped = watch.Stopped();
    }
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    shownBox = nullptr;
    if (stopped || answer < IDOK || answer > IDNO) return UnansweredButton(nativeStyle);
    return answer;
}

} // namespace Win32Dialogs
