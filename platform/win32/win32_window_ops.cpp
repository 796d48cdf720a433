// Window search, placement, batch move, system commands and the window at a point through user32. Window
// handles travel as signed 32-bit numbers: Windows keeps every window handle within 32 bits, sign-extended on
// 64-bit systems.
#include "win32_window_ops.h"

#include "win32_text.h"

#include <windows.h>
#include <dwmapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// A window that stops answering must not hold the macro for ever: the call gives up after this long (or at
// once when the system already counts the window as hung) and the answer is 0.
constexpr UINT kSystemCommandTimeoutMs = 30000;

HWND ToHandle(int32_t window) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(window));
}

int32_t FromHandle(HWND window) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

// The text FindWindow compares: the window's own title, read without asking the window (which may be busy).
std::u16string TitleOf(HWND window) {
    std::vector<wchar_t> text(256);
    for (;;) {
        const int length = InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
        if (length < static_cast<int>(text.size()) - 1)
            return FromWide(std::wstring(text.data(), static_cast<size_t>(std::max(length, 0))));
        text.resize(text.size() * 4);
    }
}

std::u16string ClassOf(HWND window) {
    wchar_t name[257] = {}; // class names have at most 256 characters
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return FromWide(std::wstring(name, static_cast<size_t>(std::max(length, 0))));
}

// Shown on the screen and hit by the pointer: visible, not minimised, not hidden by the window manager (the
// suspended windows of store apps), and not a see-through overlay that lets the pointer pass.
bool ShowsAt(HWND window, POINT point) {
    if (!IsWindowVisible(window) || IsIconic(window)) return false;
    const LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if ((extended & WS_EX_TRANSPARENT) != 0 && (extended & WS_EX_LAYERED) != 0) return false;
    DWORD cloaked = 0;
    if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0)
        return false;
    RECT rect{};
    return GetWindowRect(window, &rect) && PtInRect(&rect, point);
}

} // namespace

namespace Win32Windows {

int32_t Find(const std::u16string& className, const std::u16string* title) {
    const std::optional<std::string> ansiClass = ToAnsiExactly(className);
    const std::optional<std::string> ansiTitle = title ? ToAnsiExactly(*title) : std::optional<std::string>();
    if (ansiClass && (!title || ansiTitle))
        return FromHandle(FindWindowA(ansiClass->c_str(), title ? ansiTitle->c_str() : nullptr));
    const std::wstring wideClass = ToWide(className);
    const std::wstring wideTitle = title ? ToWide(*title) : std::wstring();
    return FromHandle(FindWindowW(wideClass.c_str(), title ? wideTitle.c_str() : nullptr));
}

bool Placement(int32_t window, WindowPlacement& out) {
    const HWND handle = ToHandle(window);
    if (handle == nullptr || !IsWindow(handle)) return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement; // 44 bytes
    if (!GetWindowPlacement(handle, &placement)) return false;
    RECT rect = placement.rcNormalPosition;
    // The normal rectangle is in work-area coordinates, which differ from screen coordinates when a task bar
    // sits at the top or left. For a window shown normally its normal rectangle is where it is now, so the
    // screen rectangle is read instead: SETWIN then keeps the window exactly in place.
    RECT onScreen{};
    if (placement.showCmd == SW_SHOWNORMAL && GetWindowRect(handle, &onScreen)) rect = onScreen;
    out.showState = static_cast<int32_t>(placement.showCmd);
    out.left = rect.left;
    out.top = rect.top;
    out.right = rect.right;
    out.bottom = rect.bottom;
    return true;
}

void Move(int32_t window, int32_t x, int32_t y, int32_t width, int32_t height) {
    HDWP batch = BeginDeferWindowPos(2);
    if (batch == nullptr) return;
    // On failure DeferWindowPos frees the batch itself.
    batch =
        DeferWindowPos(batch, ToHandle(window), nullptr, x, y, width, height, SWP_NOZORDER | SWP_SHOWWINDOW);
    if (batch == nullptr) return;
    EndDeferWindowPos(batch);
}

bool TopLevelAt(int32_t x, int32_t y, int32_t lookedThrough, WindowDescription& out) {
    struct Search {
        POINT point;
        HWND lookedThrough;
        HWND found;
    } search{{x, y}, ToHandle(lookedThrough), nullptr};
    // EnumWindows goes through the top-level windows from the top of the z-order down.
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (window == s->lookedThrough || !ShowsAt(window, s->point)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return false;
    RECT rect{};
    if (!GetWindowRect(search.found, &rect)) return false;
    out = WindowDescription{};
    out.window = FromHandle(search.found);
    out.className = ClassOf(search.found);
    out.title = TitleOf(search.found);
    out.placement.showState = IsIconic(search.found) ? 2 : IsZoomed(search.found) ? 3 : 1;
    out.placement.left = rect.left;
    out.placement.top = rect.top;
    out.placement.right = rect.right;
    out.placement.bottom = rect.bottom;
    return true;
}

int32_t SystemCommand(int32_t window, int32_t command) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(ToHandle(window), WM_SYSCOMMAND,
                             static_cast<WPARAM>(static_cast<uint32_t>(command)), 0,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kSystemCommandTimeoutMs, &answer))
        return 0;
    return static_cast<int32_t>(answer);
}

} // namespace Win32Windows
