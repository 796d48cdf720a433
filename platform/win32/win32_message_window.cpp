// The MES message window on Windows: an always-on-top window with one static label, its place, width and
// label measured in twips with the screen's DPI; closing it hides it for the next MES.
#include "win32_message_window.h"

#include "win32_dialogs.h"
#include "win32_text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kTwipsPerInch = 1440;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// On top of the other windows, as the macro goes on working in them.
constexpr DWORD kExStyle = WS_EX_TOPMOST;

double ScreenDpi(int axis) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96.0;
}

// Pixel results are clamped to what a window coordinate can hold.
int TwipsToPixels(int32_t twips, int axis) {
    constexpr double kLimit = 1 << 24;
    const double pixels = twips * ScreenDpi(axis) / kTwipsPerInch;
    return static_cast<int>(std::lround(std::fmax(-kLimit, std::fmin(kLimit, pixels))));
}

int32_t PixelsToTwips(int pixels, int axis) {
    return static_cast<int32_t>(std::lround(pixels * kTwipsPerInch / ScreenDpi(axis)));
}

RECT ChildRect(HWND child) {
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

void RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = Win32MessageWindow::kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    static_cast<void>(registered);
}

} // namespace

Win32MessageWindow::~Win32MessageWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK Win32MessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    if (message == WM_GETMINMAXINFO) {
        // MES sets the width from its label alone: a short text makes a window narrower than the system's
        // smallest captioned window, which would otherwise widen it and break the equal margins.
        RECT frame{0, 0, 1, 1};
        AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {frame.right - frame.left,
                                                                 frame.bottom - frame.top};
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32MessageWindow::EnsureWindow() {
    if (window_ != nullptr) return;
    RegisterWindowClass(&Procedure);
    window_ = CreateWindowExW(kExStyle, kClassName, L"メッセージ", kStyle, 0, 0, 100, 50, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) return;
    const int margin = TwipsToPixels(kLabelMarginTwips, LOGPIXELSX);
    const int marginY = TwipsToPixels(kLabelMarginTwips, LOGPIXELSY);
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, margin,
                             marginY, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(Win32Dialogs::UiFont()), FALSE);
    SetText(u"");
}

void Win32MessageWindow::Show() {
    EnsureWindow();
    if (window_ == nullptr || IsWindowVisible(window_)) return;
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32MessageWindow::SetPositionTwips(int32_t leftTwips, int32_t topTwips) {
    EnsureWindow();
    SetWindowPos(window_, nullptr, TwipsToPixels(leftTwips, LOGPIXELSX), TwipsToPixels(topTwips, LOGPIXELSY),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MessageWindow::SetText(const std::u16string& text) {
    EnsureWindow();
    if (label_ == nullptr) return;
    const std::wstring wide = ToWide(text);
    SetWindowTextW(label_, wide.c_str());
    // The label is exactly as wide as its longest line and as high as its lines (one line when empty).
    const HDC dc = GetDC(label_);
    const HGDIOBJ previous = SelectObject(dc, Win32Dialogs::UiFont());
    RECT bounds{0, 0, 0, 0};
    const std::wstring measured = wide.empty() ? std::wstring(L" ") : wide;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &bounds,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, previous);
    ReleaseDC(label_, dc);
    const int width = wide.empty() ? 0 : bounds.right;
    SetWindowPos(label_, nullptr, 0, 0, width, bounds.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT label = ChildRect(label_);
    RECT client{};
    GetClientRect(window_, &client);
    SetClientSize(client.right, label.top * 2 + (label.bottom - label.top));
    InvalidateRect(window_, nullptr, TRUE);
}

int32_t Win32MessageWindow::LabelLeftTwips() const {
    if (label_ == nullptr) return kLabelMarginTwips;
    return PixelsToTwips(ChildRect(label_).left, LOGPIXELSX);
}

int32_t Win32MessageWindow::LabelWidthTwips() const {
    if (label_ == nullptr) return 0;
    const RECT label = ChildRect(label_);
    return PixelsToTwips(label.right - label.left, LOGPIXELSX);
}

void Win32MessageWindow::SetWidthTwips(int32_t widthTwips) {
    EnsureWindow();
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    SetClientSize(std::max(1, TwipsToPixels(widthTwips, LOGPIXELSX)), client.bottom);
}

bool Win32MessageWindow::IsOpen() const {
    return window_ != nullptr && IsWindowVisible(window_);
}

void Win32MessageWindow::Close() {
    if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

void Win32MessageWindow::SetClientSize(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
