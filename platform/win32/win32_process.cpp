// Program start through CreateProcessW (the system searches the program as the command line's first word)
// and the millisecond clock from QueryPerformanceCounter.
#include "win32_process.h"

#include "win32_text.h"

#include <windows.h>

namespace {

// The window-style numbers of SHELL as ShowWindow commands; -1 for a number that is no style.
int ShowCommandOf(int32_t windowStyle) {
    switch (windowStyle) {
    case 0:
        return SW_HIDE;
    case 1:
        return SW_SHOWNORMAL;
    case 2:
        return SW_SHOWMINIMIZED;
    case 3:
        return SW_SHOWMAXIMIZED;
    case 4:
        return SW_SHOWNOACTIVATE;
    case 6:
        return SW_SHOWMINNOACTIVE;
    default:
        return -1;
    }
}

bool MeansNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_PATHNAME || error == ERROR_DIRECTORY || error == ERROR_INVALID_DRIVE;
}

} // namespace

namespace Win32Process {

int Start(const std::u16string& commandLine, int32_t windowStyle, double& processId) {
    const int showCommand = ShowCommandOf(windowStyle);
    if (showCommand < 0) return 5;
    std::wstring text = ToWide(commandLine);
    if (text.find_first_not_of(L" \t") == std::wstring::npos) return 53;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line, so it gets its own copy.
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return MeansNotFound(GetLastError()) ? 53 : 5;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    processId = static_cast<double>(started.dwProcessId);
    return 0;
}

int32_t MillisecondClock() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value{};
        QueryPerformanceFrequency(&value);
        return value.QuadPart > 0 ? value.QuadPart : int64_t{1000};
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    // Whole seconds and the rest apart, so the product never overflows however long the system runs.
    const int64_t milliseconds =
        now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(milliseconds)));
}

} // namespace Win32Process
