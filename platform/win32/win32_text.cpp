// Conversions between the engine's UTF-16 text and the forms the Windows API takes.
#include "win32_text.h"

#include <windows.h>

std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string FromWide(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::optional<std::string> ToAnsiExactly(const std::u16string& text) {
    if (text.empty()) return std::string();
    const std::wstring wide = ToWide(text);
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, bytes.data(), size, nullptr,
                            &usedDefault) != size ||
        usedDefault)
        return std::nullopt;
    // A code page without best-fit tables may still have mapped a character to another one: check the way
    // back.
    const int back = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring roundTrip(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    if (back <= 0 || MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, roundTrip.data(), back) != back ||
        roundTrip != wide)
        return std::nullopt;
    return bytes;
}

std::u16string Win32ErrorText(unsigned long error) {
    wchar_t* message = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = n > 0 && message != nullptr ? std::wstring(message, n) : std::wstring();
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"error " + std::to_wstring(error);
    return FromWide(text);
}
