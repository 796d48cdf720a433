// Driving the real Windows programs from outside, as a user would: started with a private environment, seen
// through their top-level windows, the clipboard and their files, given synthetic keys and clicks.
#pragma once

#include "wine_test_support.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace GuiDriver {

// A visible top-level window of a program.
struct TopWindow {
    HWND handle = nullptr;
    std::wstring caption;
};

// A program started with LOCALAPPDATA and APPDATA in folders of the test's own (so recovery copies and user
// data never reach another test or the developer's), ended with everything it started when the test is done.
class Program {
  public:
    // `home` receives the folders "local" and "roaming"; `arguments` follows the quoted program path.
    Program(const std::wstring& programPath, const std::wstring& arguments, const std::wstring& home);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD Id() const { return process_.dwProcessId; }
    std::wstring LocalAppData() const { return home_ + L"\\local"; }
    std::wstring RoamingAppData() const { return home_ + L"\\roaming"; }

    std::vector<TopWindow> Windows() const;
    // The visible window with exactly this caption, once it is there; nullptr when it never came.
    HWND WaitForWindow(const std::wstring& caption) const;
    // Waits until no visible window has this caption.
    bool WaitForWindowGone(const std::wstring& caption) const;
    // Waits until the program has ended; its exit code then, nullopt when it is still running.
    std::optional<DWORD> WaitForExit(int timeoutMs) const;
    // Ends the program at once, as a crash or a power cut would.
    void Kill() const;

  private:
    std::wstring home_;
    PROCESS_INFORMATION process_{};
    HANDLE job_ = nullptr;
};

// A visible top-level window of any program with exactly this caption, once it is there; nullptr when it
// never came.
HWND WaitForWindowOfAnyProgram(const std::wstring& caption);
// Links the program file (else copies it) from the test programs' folder into the folder; returns its path.
std::wstring LinkProgramInto(const std::wstring& folder, const std::wstring& name);

// Makes the window the foreground window (retrying: the desktop may refuse while another window is
// activated) and lets the desktop settle, so the next keys reach it.
bool BringToFront(HWND window);

// Characters as Unicode key events (Japanese included); a line feed is the Enter key.
void TypeText(const std::wstring& text);
void TypeText(const std::string& utf8);
// The keys pressed in order and released in reverse: {VK_CONTROL, 'A'} is Ctrl+A.
void PressKeys(std::initializer_list<WORD> keys);
void PressKey(WORD key);
// A press of the physical key with the scan code (set 1; 0xE0xx for an extended key): the active keyboard
// layout decides its virtual key, as it does for a real keyboard.
void PressScanCode(WORD scanCode);
// A left click at a point of the window's client area; negative coordinates count from the right or bottom.
void ClickInWindow(HWND window, int x, int y);

// The clipboard's text after the keys (which should copy something), in UTF-8 with its line ends as line
// feeds; nullopt when no text came (a busy program may take a while). The clipboard is emptied first, so an
// old text never passes for a new one.
std::optional<std::string> CopyWith(const std::function<void()>& keys, int timeoutMs = WineTest::kPatienceMs);
// The text's lines, split at line feeds; a last line without one counts too.
std::vector<std::string> Lines(const std::string& text);

// Saves the part of the screen that the windows cover (with a margin) as build-win/screenshots/NAME.png.
bool SaveScreenshot(const std::wstring& name, const std::vector<HWND>& windows);

// The bytes of a file, nullopt when it cannot be read.
std::optional<std::string> FileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// UTF-8 text to CP932 bytes with CR LF line ends, as the programs write macro files that fit CP932.
std::string ToCp932WithCrLf(const std::string& utf8);
std::wstring FromUtf8(const std::string& bytes);
std::string ToUtf8(const std::wstring& text);

} // namespace GuiDriver
