// The editor program QuillonMacro.exe under test: a link to it in a private folder (so its buffer file and
// user folders are the test's own), its main window, and reading its macro text and debug log.
#pragma once

#include "gui_driver.h"
#include "wine_test_support.h"

#include <memory>
#include <string>
#include <vector>

class EditorSession {
  public:
    static constexpr const wchar_t* kCaption = L"Quillonマクロ";
    // Title of the program's own message boxes (MSGBOX and the editor's questions).
    static constexpr const wchar_t* kBoxCaption = L"QuillonMacro";

    // Starts the editor, with the arguments if any and the user folders under `home` (by default a folder of
    // its own); Window() is null when it did not open.
    explicit EditorSession(const std::wstring& arguments = L"", const std::wstring& home = L"");

    // The main window, whose caption starts with kCaption.
    HWND Window() const { return window_; }
    GuiDriver::Program& Program() { return *program_; }
    const WineTest::TemporaryFolder& Folder() const { return folder_; }
    std::wstring BufferFile() const { return folder_.File(L"macrobuf.qlx"); }
    // The folder of the user's folders (LOCALAPPDATA and APPDATA).
    const std::wstring& Home() const { return home_; }

    bool Activate() const { return GuiDriver::BringToFront(window_); }
    // Clicks into the macro text, so keys go to it.
    void FocusText() const;
    // Replaces the whole macro text with the typed lines (UTF-8), typing again until the editor holds them.
    void TypeMacro(const std::string& text) const;
    // The macro text, selected with Ctrl+A and copied (UTF-8, lines ending in line feeds).
    std::optional<std::string> Text() const;
    // The log's lines, selected with the keyboard and copied, once the condition holds for them (or the
    // last lines read when it never did).
    std::vector<std::string>
    LogLinesWhen(const std::function<bool(const std::vector<std::string>&)>& ready) const;
    // The log once it holds `runs` closing lines "終了しました。" (every run ends with one).
    std::vector<std::string> LogAfterRuns(int runs) const;

  private:
    WineTest::TemporaryFolder folder_;
    std::wstring home_;
    std::unique_ptr<GuiDriver::Program> program_;
    HWND window_ = nullptr;
};
