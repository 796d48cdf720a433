// The message window of MES in a windowless run on Windows: a small window on top of the others, captioned
// "メッセージ", with one label 120 twips from its left and top edges; placed and sized in twips.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class Win32MessageWindow {
  public:
    static constexpr int32_t kLabelMarginTwips = 120;
    static constexpr wchar_t kClassName[] = L"QuillonMacroMessageWindow";

    Win32MessageWindow() = default;
    ~Win32MessageWindow();
    Win32MessageWindow(const Win32MessageWindow&) = delete;
    Win32MessageWindow& operator=(const Win32MessageWindow&) = delete;

    // Makes the window on first use and shows it without taking the focus from the window that has it.
    void Show();
    // Places the window's top left corner (its frame) at the position, in twips on the screen.
    void SetPositionTwips(int32_t leftTwips, int32_t topTwips);
    // Sets the label's text; the label takes the size of its text and the window's height follows it.
    void SetText(const std::u16string& text);
    // The label's place and width in twips (the margin and 0 before the window exists).
    int32_t LabelLeftTwips() const;
    int32_t LabelWidthTwips() const;
    // Sets the width of the window's inside, in twips.
    void SetWidthTwips(int32_t widthTwips);
    // Closing the window (by its user too) only hides it; the next Show brings the same window back.
    bool IsOpen() const;
    void Close();

  private:
    void EnsureWindow();
    // Gives the inside of the window this size, keeping its place.
    void SetClientSize(int width, int height);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND label_ = nullptr;
};
