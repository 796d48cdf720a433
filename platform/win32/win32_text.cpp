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
