// The Japanese texts of system errors on Windows: Windows error codes and the C runtime's errno values from
// our tables, the system's own descriptions only for the numbers the tables lack.
#include "codepage.h"
#include "common/system_error_texts.h"
#include "win32_text.h"

#include <windows.h>

#include <cstring>

namespace {

// The system's description of a Windows error code in the user's language, without its trailing line end
// and blanks (as Qt trims it); empty when the system has none.
std::u16string SystemDescription(unsigned long error) {
    wchar_t* message = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = n > 0 && message != nullptr ? std::wstring(message, n) : std::wstring();
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return FromWide(text);
}

std::u16string RuntimeText(int error) {
    const char* text = std::strerror(error);
    return FromUtf8(text != nullptr ? text : "");
}

} // namespace

std::u16string Win32ErrorText(unsigned long error) {
    const std::u16string_view own = TableErrorText(WindowsErrorTexts(), error);
    if (!own.empty()) return std::u16string(own);
    std::u16string text = SystemDescription(error);
    if (text.empty()) text = u"error " + FromUtf8(std::to_string(error));
    return text;
}

std::u16string ErrnoText(int error) {
    const std::u16string_view own = TableErrorText(ErrnoTexts(), static_cast<unsigned long>(error));
    if (!own.empty()) return std::u16string(own);
    return RuntimeText(error);
}

// Qt reports Windows' file errors with the system's description of the code, and a few with the C
// runtime's text of an errno value.
std::u16string JapaneseSystemErrorText(const std::u16string& systemText,
                                       const SystemTextTranslation& translation) {
    for (const SystemErrorEntry& entry : WindowsErrorTexts())
        if (systemText == SystemDescription(entry.number)) return std::u16string(entry.text);
    for (const SystemErrorEntry& entry : ErrnoTexts()) {
        const std::u16string english = RuntimeText(static_cast<int>(entry.number));
        if (systemText == english || (translation && systemText == translation(english)))
            return std::u16string(entry.text);
    }
    return systemText;
}
