// What the dialogs of a windowless run share: the check for a desktop someone sees, the UI font, the style
// numbers of the message box and its button captions, and the timer that closes a box on a stop.
#include "win32_dialogs.h"

namespace Win32Dialogs {

namespace {

constexpr int32_t kButtonPartMask = 0x0F;
constexpr int32_t kIconPartMask = 0xF0;
constexpr int32_t kDefaultPartMask = 0xF00;
constexpr int kFontPoints = 9;
constexpr UINT kStopCheckIntervalMs = 100;

// The watch of the box now waiting on this thread (a run shows one box at a time).
thread_local StopWatch* currentWatch = nullptr;

int ButtonCountOfStyle(int32_t buttons) {
    switch (buttons) {
    case MB_OKCANCEL:
    case MB_YESNO:
    case MB_RETRYCANCEL:
        return 2;
    case MB_ABORTRETRYIGNORE:
    case MB_YESNOCANCEL:
        return 3;
    default:
        return 1;
    }
}

bool FontIsInstalled(HDC screen, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM data) -> int {
            *reinterpret_cast<bool*>(data) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

HFONT MakeUiFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    const HDC screen = GetDC(nullptr);
    for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
        if (FontIsInstalled(screen, face)) {
            lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
            font.lfCharSet = DEFAULT_CHARSET;
            font.lfWeight = FW_NORMAL;
            font.lfItalic = FALSE;
            font.lfHeight = -MulDiv(kFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
            break;
        }
    }
    ReleaseDC(nullptr, screen);
    if (font.lfHeight == 0) font.lfHeight = -MulDiv(kFontPoints, 96, 72);
    return CreateFontIndirectW(&font);
}

} // namespace

bool DesktopIsInteractive() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true; // nothing says otherwise: the box is shown
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

HFONT UiFont() {
    static const HFONT font = MakeUiFont();
    return font;
}

UINT NativeMessageBoxStyle(int32_t style) {
    int32_t buttons = style & kButtonPartMask;
    if (buttons > MB_RETRYCANCEL) buttons = MB_OK;
    int32_t icon = style & kIconPartMask;
    if (icon != MB_ICONHAND && icon != MB_ICONQUESTION && icon != MB_ICONEXCLAMATION &&
        icon != MB_ICONASTERISK)
        icon = 0;
    int32_t defaultButton = style & kDefaultPartMask;
    const int count = ButtonCountOfStyle(buttons);
    if (!((defaultButton == MB_DEFBUTTON2 && count >= 2) || (defaultButton == MB_DEFBUTTON3 && count >= 3)))
        defaultButton = MB_DEFBUTTON1;
    return static_cast<UINT>(buttons | icon | defaultButton);
}

const wchar_t* ButtonCaption(int32_t button) {
    switch (button) {
    case IDOK:
        return L"OK";
    case IDCANCEL:
        return L"キャンセル";
    case IDABORT:
        return L"中止(&A)";
    case IDRETRY:
        return L"再試行(&R)";
    case IDIGNORE:
        return L"無視(&I)";
    case IDYES:
        return L"はい(&Y)";
    case IDNO:
        return L"いいえ(&N)";
    default:
        return nullptr;
    }
}

StopWatch::StopWatch(const StopCheck& stopRequested, std::function<HWND()> dialog)
    : stopRequested_(stopRequested), dialog_(std::move(dialog)), outer_(currentWatch) {
    currentWatch = this;
    if (stopRequested_) timer_ = SetTimer(nullptr, 0, kStopCheckIntervalMs, OnTimer);
}

StopWatch::~StopWatch() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    currentWatch = outer_;
}

void CALLBACK StopWatch::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    StopWatch* watch = currentWatch;
    if (watch == nullptr || watch->stopped_ || !watch->stopRequested_()) return;
    const HWND dialog = watch->dialog_();
    if (dialog == nullptr) return; // not made yet: the next turn closes it
    watch->stopped_ = true;
    EndDialog(dialog, IDCANCEL);
}

} // namespace Win32Dialogs
