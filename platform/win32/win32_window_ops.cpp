// Window search, placement, batch move and system commands through user32. Window handles travel as signed
// 32-bit numbers: Windows keeps every window handle within 32 bits, sign-extended on 64-bit systems.
#include "win32_window_ops.h"

#include "win32_text.h"

#include <windows.h>

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

int32_t SystemCommand(int32_t window, int32_t command) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(ToHandle(window), WM_SYSCOMMAND,
                             static_cast<WPARAM>(static_cast<uint32_t>(command)), 0,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kSystemCommandTimeoutMs, &answer))
        return 0;
    return static_cast<int32_t>(answer);
}

} // namespace Win32Windows
