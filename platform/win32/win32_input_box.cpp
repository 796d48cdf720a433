// The input box of INPUTBOX on Windows: a modal dialog made in code (the prompt, an edit field, OK and
// キャンセル in the UI font, sized to the prompt), closed by a stop of the run.
#include "win32_dialogs.h"
#include "win32_text.h"

#include <algorithm>

namespace Win32Dialogs {

namespace {

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

// Sizes in pixels at 96 DPI, scaled to the screen's.
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kMinEditWidth = 300;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kEditPadding = 8;

struct InputBoxState {
    std::wstring prompt;
    std::wstring title;
    std::wstring answer;
    HWND dialog = nullptr;
};

// The dialog's frame with no control in it: the controls are made in WM_INITDIALOG, sized in pixels.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE frame;
    WORD menu;
    WORD windowClass;
    WORD title;
};

int Scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

// The size the prompt takes in the font, one line per line of its text; at least one line high.
SIZE PromptSize(HWND dialog, const std::wstring& prompt) {
    const HDC dc = GetDC(dialog);
    const HGDIOBJ previous = SelectObject(dc, UiFont());
    RECT bounds{0, 0, 0, 0};
    const std::wstring measured = prompt.empty() ? std::wstring(L" ") : prompt;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &bounds,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return {prompt.empty() ? 0 : bounds.right, bounds.bottom};
}

HWND AddControl(HWND dialog, const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                int id, RECT place) {
    const HWND control = CreateWindowExW(
        exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
        place.right - place.left, place.bottom - place.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    return control;
}

// Lays the controls out under the prompt, sizes the dialog around them and centres it on its screen.
void BuildInputBox(HWND dialog, const InputBoxState& state) {
    SetWindowTextW(dialog, state.title.c_str());
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int margin = Scaled(kMargin, dpi);
    const int gap = Scaled(kGap, dpi);
    const SIZE prompt = PromptSize(dialog, state.prompt);
    const int lineHeight = PromptSize(dialog, L"Ag").cy;
    const int width = std::max<int>(prompt.cx, Scaled(kMinEditWidth, dpi));
    const int editHeight = lineHeight + Scaled(kEditPadding, dpi);
    const int buttonWidth = Scaled(kButtonWidth, dpi);
    const int buttonHeight = Scaled(kButtonHeight, dpi);

    int y = margin;
    AddControl(dialog, L"STATIC", state.prompt, SS_LEFT | SS_NOPREFIX | WS_GROUP, 0, kPromptId,
               {margin, y, margin + width, y + prompt.cy});
    y += prompt.cy + gap;
    const HWND edit = AddControl(dialog, L"EDIT", L"", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP,
                                 WS_EX_CLIENTEDGE, kEditId, {margin, y, margin + width, y + editHeight});
    y += editHeight + margin;
    const int cancelLeft = margin + width - buttonWidth;
    const int okLeft = cancelLeft - gap - buttonWidth;
    AddControl(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDOK,
               {okLeft, y, okLeft + buttonWidth, y + buttonHeight});
    AddControl(dialog, L"BUTTON", L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL,
               {cancelLeft, y, cancelLeft + buttonWidth, y + buttonHeight});
    y += buttonHeight + margin;

    RECT frame{0, 0, margin + width + margin, y};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int left = area.left + std::max<int>(0, (area.right - area.left - outerWidth) / 2);
    const int top = area.top + std::max<int>(0, (area.bottom - area.top - outerHeight) / 2);
    SetWindowPos(dialog, nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
    SetFocus(edit);
}

INT_PTR CALLBACK InputBoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<InputBoxState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state->dialog = dialog;
        BuildInputBox(dialog, *state);
        SetForegroundWindow(dialog);
        return FALSE; // the focus is in the edit field already
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const HWND edit = GetDlgItem(dialog, kEditId);
            std::wstring typed(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
            typed.resize(
                static_cast<size_t>(GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
            state->answer = typed;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::u16string ShowInputBox(const std::u16string& prompt, const std::u16string& title,
                            const StopCheck& stopRequested) {
    if (stopRequested && stopRequested()) return {};
    InputBoxState state{ToWide(prompt), ToWide(title), {}, nullptr};
    EmptyDialogTemplate frame{};
    frame.frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    frame.frame.cx = 200;
    frame.frame.cy = 60;
    INT_PTR result = 0;
    {
        StopWatch watch(stopRequested, [&state] { return state.dialog; });
        result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &frame.frame, nullptr, InputBoxProcedure,
                                         reinterpret_cast<LPARAM>(&state));
    }
    if (result != IDOK) return {};
    return FromWide(state.answer);
}

} // namespace Win32Dialogs
