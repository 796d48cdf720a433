// The helpers of the Windows desktop tests: folders, waits, log files and the test window process.
#include "wine_test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace WineTest {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, n);
    const size_t slash = text.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : text.substr(0, slash);
}

TemporaryFolder::TemporaryFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    path_ = std::wstring(base) + L"qm-wine-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
}

namespace {

// Deletes the folder with everything in it (the programs under test leave folders of their own there).
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

TemporaryFolder::~TemporaryFolder() {
    RemoveTree(path_);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
}

void LetTheDesktopSettle() {
    Sleep(400);
}

void PressPause() {
    INPUT input[2] = {};
    for (INPUT& one : input) {
        one.type = INPUT_KEYBOARD;
        one.ki.wVk = VK_PAUSE;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return lines;
    std::string line;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    std::fclose(file);
    return lines;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

HWND FindWindowOfProcess(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        HWND found;
    } search{processId, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[256] = {};
            GetClassNameW(window, name, 256);
            if (owner == s->processId && std::wstring(name) == s->className) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TestWindow::TestWindow(const std::wstring& title, const std::wstring& logPath, WORD showCommand)
    : logPath_(logPath) {
    DeleteFileW(logPath.c_str());
    std::wstring commandLine =
        L"\"" + ProgramFolder() + L"\\qm_test_window.exe\" \"" + title + L"\" \"" + logPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
        return;
    WaitForLogLine("ready");
    WaitUntil([this] {
        window_ = FindWindowOfProcess(process_.dwProcessId, TestPicture::kClassName);
        return window_ != nullptr;
    });
}

TestWindow::~TestWindow() {
    if (process_.hProcess == nullptr) return;
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    DeleteFileW(logPath_.c_str());
}

bool TestWindow::WaitForLogLine(const std::string& line) const {
    return WaitUntil([&] {
        for (const std::string& logged : Log())
            if (logged == line) return true;
        return false;
    });
}

POINT TestWindow::ClientToScreenPoint(int x, int y) const {
    POINT point{x, y};
    ClientToScreen(window_, &point);
    return point;
}

bool TestWindow::BringToFront() const {
    const bool front = WaitUntil([this] {
        if (GetForegroundWindow() == window_) return true;
        SetForegroundWindow(window_);
        return false;
    });
    LetTheDesktopSettle();
    return front;
}

} // namespace WineTest
