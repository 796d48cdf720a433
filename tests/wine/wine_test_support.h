// Helpers of the Windows desktop tests: the folder of the test programs, a private temporary folder, waiting
// with a generous limit, and the test window started as its own process.
#pragma once

#include "test_window_picture.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace WineTest {

// Every wait of the tests gives up after this long; the desktop normally answers within milliseconds.
inline constexpr int kPatienceMs = 20000;

std::wstring ProgramFolder();
// A new empty folder under the system's temporary folder, removed with everything in it by the destructor.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

// Polls the condition every 20 ms until it holds or the patience runs out; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kPatienceMs);

// Under Wine the pointer and key state follow the X server's a moment after a focus change or a pointer warp,
// which can undo input injected in between; tests give the desktop this moment before they inject more.
void LetTheDesktopSettle();

// A Pause press and release as the keyboard makes it, through the system's input queue.
void PressPause();

std::vector<std::string> ReadLines(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// The test window in its own process, with a title and a log file; closed and ended by the destructor.
class TestWindow {
  public:
    TestWindow(const std::wstring& title, const std::wstring& logPath, WORD showCommand = SW_SHOWNORMAL);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return window_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    std::vector<std::string> Log() const { return ReadLines(logPath_); }
    // Waits until the log holds the line; returns whether it came.
    bool WaitForLogLine(const std::string& line) const;
    // Screen position of a point of the client area.
    POINT ClientToScreenPoint(int x, int y) const;
    // Makes the window the foreground window, so keys reach it.
    bool BringToFront() const;

  private:
    std::wstring logPath_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// Finds the top-level window of a process by class, or nullptr.
HWND FindWindowOfProcess(DWORD processId, const wchar_t* className);

} // namespace WineTest
